// The persisted position of a paged list.
#include "suite/tamrick/list_position.h"

#include <cstdio>
#include <cstdlib>

#include "data/date_text.h"

namespace tamrick {

namespace {

constexpr const char* kPrefix = "DRS1";

std::string Escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '%' || c == ',' || c == ';' || c == '=' || c < 0x20) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string EncodeValue(const rt::Variant& v) {
  using rt::VarType;
  char buf[64];
  switch (v.Type()) {
    case VarType::Null:
    case VarType::Empty: return "N";
    case VarType::Boolean: return *v.Get<bool>() ? "B1" : "B0";
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long: return "L" + std::to_string(rt::CLng(v));
    case VarType::Single:
    case VarType::Double:
      std::snprintf(buf, sizeof buf, "D%.17g", rt::CDbl(v));
      return buf;
    case VarType::Currency: return "C" + std::to_string(v.Get<rt::Currency>()->scaled);
    case VarType::Decimal: return "M" + v.Get<rt::Decimal>()->ToString();
    case VarType::Date: return "T" + data::StoredDateText(*v.Get<rt::Date>());
    default: return "S" + Escape(rt::CStr(v));
  }
}

std::optional<rt::Variant> DecodeValue(const std::string& s) {
  if (s.empty()) return std::nullopt;
  std::string body = s.substr(1);
  switch (s[0]) {
    case 'N': return rt::Variant::Null();
    case 'B': return rt::Variant(body == "1");
    case 'L': return rt::Variant(static_cast<int32_t>(std::strtol(body.c_str(), nullptr, 10)));
    case 'D': return rt::Variant(std::strtod(body.c_str(), nullptr));
    case 'C': return rt::Variant(rt::Currency::FromScaled(std::strtoll(body.c_str(), nullptr, 10)));
    case 'M': {
      rt::Decimal d;
      if (!rt::Decimal::Parse(body, d)) return std::nullopt;
      return rt::Variant(d);
    }
    case 'T': {
      auto d = data::ParseStoredDate(body);
      if (!d) return std::nullopt;
      return rt::Variant(*d);
    }
    case 'S': return rt::Variant(Unescape(body));
    default: return std::nullopt;
  }
}

std::string EncodeKey(const std::optional<SortKey>& key) {
  if (!key) return "";
  std::string out;
  for (size_t i = 0; i < key->size(); ++i) out += (i ? "," : "") + EncodeValue((*key)[i]);
  return out;
}

std::optional<SortKey> DecodeKey(const std::string& text, bool& ok) {
  if (text.empty()) return std::nullopt;
  SortKey key;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    auto v = DecodeValue(item);
    if (!v) {
      ok = false;
      return std::nullopt;
    }
    key.push_back(*v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return key;
}

}  // namespace

std::string ListPosition::ToText() const {
  char hash[32];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(listHash));
  return std::string(kPrefix) + ";h=" + hash + ";s=" + std::to_string(pageSize) + ";p=" + std::to_string(page) +
         ";b=" + EncodeKey(before) + ";l=" + EncodeKey(last);
}

std::optional<ListPosition> ListPosition::FromText(const std::string& text) {
  if (text.rfind(kPrefix, 0) != 0) return std::nullopt;
  ListPosition p;
  bool ok = true;
  size_t start = 0;
  while (start < text.size()) {
    size_t semi = text.find(';', start);
    std::string part = text.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    size_t eq = part.find('=');
    if (eq != std::string::npos) {
      std::string name = part.substr(0, eq), value = part.substr(eq + 1);
      if (name == "h") p.listHash = std::strtoull(value.c_str(), nullptr, 16);
      if (name == "s") p.pageSize = static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
      if (name == "p") p.page = static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10));
      if (name == "b") p.before = DecodeKey(value, ok);
      if (name == "l") p.last = DecodeKey(value, ok);
    }
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  if (!ok || p.page < 1 || p.pageSize < 1) return std::nullopt;
  return p;
}

uint64_t ListHash(const std::string& sql, const std::string& keyColumns, const std::string& sortFields) {
  uint64_t h = 1469598103934665603ull;
  for (const std::string* s : {&sql, &keyColumns, &sortFields}) {
    for (unsigned char c : *s) {
      h ^= c;
      h *= 1099511628211ull;
    }
    h ^= 0xFF;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace tamrick
