// Lib_UserLib: the membership directory's two objects for the user classes,
// a user object bound with the web session's credentials and a members
// object for searches and account changes.
#pragma once

#include <string>

#include "runtime/object.h"

// A "Pellorin.User" bound to the directory user, with the session's
// "REMOTE_ACCOUNT" and "REMOTE_PASSWORD". Needs an object context with a web
// session; a failure is logged and raised with "Lib_UserLib.UL_CreateUO".
rt::ObjectPtr UL_CreateUO(std::string& userPath);

// A "Pellorin.Members"; works outside a component server. A failure is
// logged and raised with "Lib_UserLib.UL_CreateMO".
rt::ObjectPtr UL_CreateMO();
