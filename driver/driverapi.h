#pragma once

#include "driverinterface.h"

#define VARKOLIN_DRIVER_API extern "C" __attribute__((visibility("default")))

// The driver library's entry points, found by their plain names. Their types,
// and what each one promises, live with the callers in driverinterface.h.
VARKOLIN_DRIVER_API DriverApi::ConnectFn Connect;
VARKOLIN_DRIVER_API DriverApi::GetStartFn getStart;
VARKOLIN_DRIVER_API DriverApi::GetScriptFn getScript;
VARKOLIN_DRIVER_API DriverApi::CanDoFn canDo;
VARKOLIN_DRIVER_API DriverApi::GetSystemAttrFn getSystemAttr;
VARKOLIN_DRIVER_API DriverApi::BindQueryParamFn bindQueryParam;
VARKOLIN_DRIVER_API DriverApi::GetPanelsFn GetPanels;
VARKOLIN_DRIVER_API DriverApi::ConvertFn convert;
VARKOLIN_DRIVER_API DriverApi::LoginFn login;
VARKOLIN_DRIVER_API DriverApi::BatchExecFn batchExec;
VARKOLIN_DRIVER_API DriverApi::ResultExecSQLFn resultExecSQL;
VARKOLIN_DRIVER_API DriverApi::ScopeIdentityFn scopeIdentity;
VARKOLIN_DRIVER_API DriverApi::FullNameFn fullName;
