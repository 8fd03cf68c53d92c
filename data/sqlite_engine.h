// The embedded SQLite engine: one database file, opened in WAL mode with a
// busy timeout so that several threads and processes can work on it, and
// with SQL Server's text rules (sqlite_text_rules.h) on every session.
#pragma once

#include <string>

#include "data/engine.h"

struct sqlite3;

namespace data {

Engine& SqliteEngine();

// Settings of SQLite for the whole process, made before its first
// connection opens (later they cannot be, and the engine runs as it was):
// no count of the memory it holds, which it keeps under one mutex of the
// process taken on every allocation of every connection. Nothing here asks
// for that count, and readers on many threads would queue for the mutex.
// With them, the C library's heap keeps the room that reads free (see
// KeepFreedHeap in the source).
void ConfigureSqlite();

// The one place where SQLite's result codes become COM errors: 0x80040E2F
// for a constraint violation, 0x80040E14 for the rest, with the engine's
// text and its code.
EngineError SqliteError(int resultCode, std::string text);

// How long a session waits for another writer before it fails.
constexpr int kSqliteBusyTimeoutMs = 15000;

}  // namespace data
