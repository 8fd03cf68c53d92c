// storeUNSPSCCode: checks one code of an uploaded list and stores it in the
// code tree (UNSPSCCODES), optionally overwriting the description of a code
// that exists and adding the code as a commodity (COMMODITY).
#pragma once

#include <cstdint>
#include <string>

#include "data/connection.h"

namespace quarvel {

// The code's UNSPSCUploadStatus (interfaces/unspsc.h):
//   0 stored (row added, or its description overwritten; the commodity too when asked),
//   1 invalid: not 8 or 10 digits, only zero pairs, or a zero pair before non-zero digits,
//   2 the row exists and was not overwritten,
//   3 the row was stored, the commodity exists and was not overwritten,
//   4 the parent code has no row.
// Trailing zero pairs only pad a code: 43211500 is the level-3 code 432115.
// The commodity carries the code as given, padding included.
//
// Every statement runs on `connection` with its failure ignored: a failed
// statement counts no rows and so shows only in the status. Inside a
// transaction each statement runs under a savepoint of its own, so a failed
// one leaves nothing half-written behind.
int16_t storeUNSPSCCode(data::Connection& connection, const std::string& code, const std::string& description,
                        bool overwrite, bool commodity);

}  // namespace quarvel
