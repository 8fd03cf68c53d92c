// storeUNSPSCCode: the checks and statements that store one uploaded code.
#include "quarvel/reference/unspsc_store.h"

#include "common/lib_general.h"
#include "data/recordset.h"
#include "interfaces/unspsc.h"
#include "quarvel/reference/unspsc_common.h"

namespace quarvel {

namespace {

std::string Quoted(const std::string& text) { return Gen_SqlQuote(rt::Variant(text)); }

// Runs a statement with its failure ignored; the rows it changed, 0 when it
// failed (never a count left over from an earlier statement).
int32_t Affected(data::Connection& connection, const std::string& sql) {
  rt::Variant count(int32_t{0});
  if (!rt::TryResume([&] { connection.Execute(sql, &count); })) {
    rt::Err().Clear();
    return 0;
  }
  return count.IsEmpty() ? 0 : rt::CLng(count);
}

// True when the query gives a row; a failed query gives none.
bool HasRow(data::Connection& connection, const std::string& sql) {
  bool found = false;
  if (!rt::TryResume([&] { found = !connection.Execute(sql)->Eof(); })) rt::Err().Clear();
  return found;
}

// Where a code sits in the tree: its parent's full code, its own pair and
// its level. False for a code that no row can hold.
bool Place(const std::string& code, std::string& parent, std::string& own, int& level) {
  const int pairs = static_cast<int>(code.size() / 2);
  level = 0;
  for (int i = 1; i <= pairs; ++i) {
    const std::string pair = code.substr(2 * (i - 1), 2);
    if (pair != "00") {
      own = pair;
      parent = code.substr(0, 2 * (i - 1));
      level = i;
    } else if (i < pairs && code.find_first_not_of('0', 2 * i) != std::string::npos) {
      return false;  // a zero pair followed by non-zero digits
    }
  }
  // A code of zero pairs only names no node.
  return level > 0;
}

}  // namespace

int16_t storeUNSPSCCode(data::Connection& connection, const std::string& code, const std::string& description,
                        bool overwrite, bool commodity) {
  // Digits only: a sign, a decimal point or blanks would be cut into
  // meaningless pairs.
  if (code.size() != 8 && code.size() != 10) return eUNSPSCInvalidCode;
  if (!unspsc::AllDigits(code)) return eUNSPSCInvalidCode;
  std::string parent, own;
  int level = 0;
  if (!Place(code, parent, own, level)) return eUNSPSCInvalidCode;

  if (!parent.empty()) {
    const unspsc::RowKey parentKey = unspsc::SplitCode(parent);
    if (!HasRow(connection, "Select * from UNSPSCCODES WHERE PARENTCODE = '" + Quoted(parentKey.parent) +
                                "' and UNSPSCCODE = '" + Quoted(parentKey.own) + "'"))
      return eUNSPSCParentMissing;
  }

  const std::string quotedDescription = Quoted(description);
  int16_t status = eUNSPSCStored;
  if (Affected(connection, "INSERT INTO UNSPSCCODES VALUES ('" + Quoted(parent) + "','" + Quoted(own) + "'," +
                               std::to_string(level) + ", N'" + quotedDescription + "')") < 1) {
    status = eUNSPSCCodeExists;
    if (overwrite &&
        Affected(connection, "UPDATE UNSPSCCODES SET DESCRIPTION = N'" + quotedDescription +
                                 "' WHERE PARENTCODE = '" + Quoted(parent) + "' AND UNSPSCCODE = '" +
                                 Quoted(own) + "'") > 0)
      status = eUNSPSCStored;
  }

  if (status == eUNSPSCStored && commodity) {
    const std::string quotedCode = Quoted(code);
    if (Affected(connection, "INSERT INTO COMMODITY(COMMODITYCODE, DESCRIPTION) VALUES ('" + quotedCode +
                                 "', N'" + quotedDescription + "')") < 1) {
      status = eUNSPSCCommodityExists;
      if (overwrite && Affected(connection, "UPDATE COMMODITY SET DESCRIPTION = N'" + quotedDescription +
                                                "' WHERE COMMODITYCODE = '" + quotedCode + "'") > 0)
        status = eUNSPSCStored;
    }
  }
  return status;
}

}  // namespace quarvel
