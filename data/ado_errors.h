// The errors that the ADO objects raise themselves, with ADO's numbers.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/com_error.h"

namespace data::adoerr {

constexpr int32_t kCurrentRecordRequired = static_cast<int32_t>(0x800A0BCD);  // 3021
constexpr int32_t kArgumentsWrong = static_cast<int32_t>(0x800A0BB9);         // 3001
constexpr int32_t kNotUpdatable = static_cast<int32_t>(0x800A0CB3);           // 3251
constexpr int32_t kItemNotFound = static_cast<int32_t>(0x800A0CC1);           // 3265
constexpr int32_t kNotAllowedInContext = static_cast<int32_t>(0x800A0C93);    // 3219
constexpr int32_t kObjectClosed = static_cast<int32_t>(0x800A0E78);           // 3704
constexpr int32_t kObjectOpen = static_cast<int32_t>(0x800A0E79);             // 3705
constexpr int32_t kConnectionUnusable = static_cast<int32_t>(0x800A0E7D);     // 3709
constexpr int32_t kFieldNotWritable = static_cast<int32_t>(0x80040E21);
constexpr int32_t kRowNotFound = static_cast<int32_t>(0x80040E38);

[[noreturn]] inline void Raise(int32_t number, const std::string& source, const std::string& text) {
  rt::Raise(number, source, text);
}

[[noreturn]] inline void NoCurrentRecord(const std::string& source) {
  Raise(kCurrentRecordRequired, source,
        "There is no current record: the recordset is at BOF or EOF, or the current record was deleted.");
}

[[noreturn]] inline void Closed(const std::string& source) {
  Raise(kObjectClosed, source, "The operation is not allowed while the object is closed.");
}

}  // namespace data::adoerr
