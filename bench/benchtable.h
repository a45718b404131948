#pragma once

// One line of the summary table that bench/run.sh gathers from every
// benchmark: the case, the back end ("-" where no database takes part), our
// figure, the alternative measured in the same run and its figure, and the
// target. A ratio target is "<= 2x"; an absolute one is "< 1000 ms".

#include <QString>
#include <QTextStream>

inline void tableRow(const QString &what, const QString &backend, double ours, const QString &unit,
                     const QString &alternative, double theirs, const QString &target, double perRowUs = -1)
{
    QTextStream(stdout) << "ROW\t" << what << '\t' << backend << '\t' << QString::number(ours, 'f', 2) << ' ' << unit
                        << '\t' << (perRowUs >= 0 ? QString::number(perRowUs, 'f', 2) + " us" : QStringLiteral("-"))
                        << '\t' << (alternative.isEmpty() ? QStringLiteral("-") : alternative) << '\t'
                        << (theirs > 0 ? QString::number(theirs, 'f', 2) + ' ' + unit : QStringLiteral("-")) << '\t'
                        << (theirs > 0 ? QString::number(ours / theirs, 'f', 2) : QStringLiteral("-")) << '\t'
                        << target << '\n';
}
