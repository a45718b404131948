<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Sibling</name>
    <message>
        <source>Hello from a sibling</source>
        <translation>Привет от соседа</translation>
    </message>
</context>
</TS>
