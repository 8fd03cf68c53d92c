// Hooks that test support sets and the libraries never call: another engine
// in place of the providers' own (tests put a fault-injecting engine in
// front of SQLite, reaching the statements of the component libraries too),
// and how often a pooled session's database file is compared with the one
// it opened.
#pragma once

#include <chrono>
#include <cstdint>

#include "data/engine.h"

namespace data {

// Every session opened from now on comes from `engine`, whatever provider
// the connection string names (the provider must still be a known one);
// null restores the providers' own. Idle sessions of the engine before are
// closed, not handed out again. The engine must outlive its sessions.
void OverrideEngine(Engine* engine);

// A pooled session is handed out again without comparing its database
// file's identity (a system call) while its last comparison is younger than
// this (100 ms unless set); zero compares at every hand-out. Answers the
// interval before.
std::chrono::milliseconds SetFileRecheckInterval(std::chrono::milliseconds interval);

// How many times, in this process, a SQLite session found a lock taken and
// waited for it (its busy handler was called): tests tell by it that a
// reader never waited.
uint64_t SqliteBusyWaits();

// How many statements the SQLite sessions of this thread have prepared so
// far; one taken again from a session's prepared statements is not counted.
// For tests of what is kept for reuse.
uint64_t StatementsPreparedOnThisThread();

}  // namespace data
