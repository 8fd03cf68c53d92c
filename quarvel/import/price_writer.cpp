// PriceWriter: one price line changed or added. The row is changed when one
// matches its key and added otherwise; each is one statement with the
// values as parameters, so that the statements are prepared once a batch.
#include "quarvel/import/price_writer.h"

#include <algorithm>

#include "common/method_error.h"
#include "data/data_types.h"
#include "quarvel/import/price_xml_common.h"
#include "quarvel/services/rounding.h"

namespace quarvel::pricexml {

namespace {

constexpr const char* kTable = "CATALOGPRODUCTPRICE";

bool IsKeyColumn(const std::string& name) {
  return name == "PRODUCTID" || name == "PRICEEFFECTIVEDATE" || name == "QUANTITYTO";
}

}  // namespace

void PriceWriter::InsertUpdatePrice(int32_t productId, rt::Date effectiveDate, double quantityTo,
                                    const std::vector<std::string>& names, const std::vector<rt::Variant>& values) {
  try {
    const std::shared_ptr<data::Recordset>& columns = Columns();
    // The columns the line names, each once: a name that comes again (in
    // another letter case) sets its column again, so its later value wins.
    std::vector<std::pair<int32_t, rt::Variant>> assigned;
    for (size_t i = 0; i < names.size(); ++i) {
      const int32_t column = columns->ColumnIndex(names[i]);
      if (column < 0) columns->Field(rt::Variant(names[i]));  // raises the unknown-field error
      if (IsKeyColumn(names[i])) continue;
      rt::Variant value = ColumnValue(column, names[i], values[i]);
      auto same = std::find_if(assigned.begin(), assigned.end(), [&](const auto& a) { return a.first == column; });
      if (same != assigned.end()) {
        same->second = std::move(value);
      } else {
        assigned.emplace_back(column, std::move(value));
      }
    }
    rt::Variant group = rt::Variant::Null();
    const int32_t groupColumn = columns->ColumnIndex("GROUPBY");
    for (const auto& [column, value] : assigned) {
      if (column == groupColumn) group = value;
    }

    std::vector<rt::Variant> key{rt::Variant(productId), rt::Variant(effectiveDate), rt::Variant(quantityTo)};
    std::string where = " WHERE PRODUCTID = ? AND PRICEEFFECTIVEDATE = ? AND QUANTITYTO = ? AND ";
    if (group.IsNull()) {
      where += "(GROUPBY IS NULL OR GROUPBY = '')";
    } else {
      where += "GROUPBY = ?";
      key.push_back(group);
    }

    bool found;
    if (assigned.empty()) {
      found = Run(std::string("SELECT COUNT(*) FROM ") + kTable + where, key) > 0;
    } else {
      std::string sql = std::string("UPDATE ") + kTable + " SET ";
      std::vector<rt::Variant> parameters;
      for (const auto& [column, value] : assigned) {
        sql += (parameters.empty() ? "" : ", ") + columns->Column(column).name + " = ?";
        parameters.push_back(value);
      }
      parameters.insert(parameters.end(), key.begin(), key.end());
      found = Run(sql + where, parameters) > 0;
    }
    if (!found) {
      std::string sql = std::string("INSERT INTO ") + kTable + " (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO";
      std::string marks = "?, ?, ?";
      std::vector<rt::Variant> parameters(key.begin(), key.begin() + 3);
      for (const auto& [column, value] : assigned) {
        sql += ", " + columns->Column(column).name;
        marks += ", ?";
        parameters.push_back(value);
      }
      Run(sql + ") VALUES (" + marks + ")", parameters);
    }
    group_.RowWritten();
  } catch (...) {
    HandleMethodError(Source("InsertUpdatePrice"));
  }
}

const std::shared_ptr<data::Recordset>& PriceWriter::Columns() {
  if (!columns_) {
    auto rs = data::Recordset::New();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open(std::string("SELECT * FROM ") + kTable + " WHERE 0=1", group_.Connection(), data::kCursorKeyset,
             data::kLockReadOnly);
    rs->SetActiveConnection(nullptr);
    columns_ = std::move(rs);
  }
  return columns_;
}

rt::Variant PriceWriter::ColumnValue(int32_t column, const std::string& name, const rt::Variant& value) {
  rt::Variant written = value;
  if (value.IsEmpty()) {
    written = rt::Variant::Null();
  } else if (name == "PRICEEXPIRYDATE") {
    if (rt::Concat(value).empty()) {
      written = rt::Variant::Null();
    } else {
      const rt::Variant date = ReadUSDate(value);
      if (!date.IsNull()) written = date;
    }
  } else if ((name == "DISCOUNTPERC" || name == "PRICETAXPERCENTAGE") && !value.IsNull()) {
    written = RoundedToCents(value);
  } else if (name == "GROUPBY" && !value.IsNull() && rt::Trim(rt::Concat(value)).empty()) {
    written = rt::Variant::Null();
  }
  const data::TypeInfo& type = Columns()->Column(column).type;
  written = data::CoerceToSubtype(written, type.subtype);
  if (type.padTo > 0 && written.IsString()) {
    std::string& text = *written.Get<std::string>();
    const int32_t length = data::CharacterCount(text);
    if (length < type.padTo) text.append(static_cast<size_t>(type.padTo - length), ' ');
  }
  return written;
}

int32_t PriceWriter::Run(const std::string& sql, const std::vector<rt::Variant>& values) {
  if (!command_) command_ = data::Command::New();
  command_->SetActiveConnection(group_.Connection());
  command_->SetCommandText(sql);
  rt::Variant affected;
  std::shared_ptr<data::Recordset> rs = command_->Execute(&affected, &values);
  if (rs->State() == data::kStateOpen) return rs->Eof() ? 0 : rt::CLng(rs->Value(int32_t{0}));
  return affected.IsEmpty() ? 0 : rt::CLng(affected);
}

}  // namespace quarvel::pricexml
