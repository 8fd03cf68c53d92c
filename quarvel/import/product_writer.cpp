// ProductWriter: the statements of one ProductXML call on its write group.
#include "quarvel/import/product_writer.h"

#include "data/data_types.h"

namespace quarvel::productxml {

std::shared_ptr<data::Recordset> ProductWriter::Run(const std::string& sql, const std::vector<rt::Variant>& values,
                                                    rt::Variant* affected) {
  if (!command_) command_ = data::Command::New();
  command_->SetActiveConnection(Connection());
  command_->SetCommandText(sql);
  return command_->Execute(affected, &values);
}

std::shared_ptr<data::Recordset> ProductWriter::Query(const std::string& sql, const std::vector<rt::Variant>& values) {
  return Run(sql, values, nullptr);
}

int32_t ProductWriter::Write(const std::string& sql, const std::vector<rt::Variant>& values) {
  rt::Variant affected;
  Run(sql, values, &affected);
  group_.RowWritten();
  return affected.IsEmpty() ? 0 : rt::CLng(affected);
}

data::Recordset& ProductWriter::Adder(const std::string& table) {
  OpenAdder& adder = Opened(table);
  // The rows a recordset adds stay in it: a fresh one now and then keeps
  // a long batch from holding every row it wrote.
  if (adder.rows >= import::kRowsPerGroup) {
    adder.recordset.reset();
    return Adder(table);
  }
  ++adder.rows;
  return *adder.recordset;
}

ProductWriter::OpenAdder& ProductWriter::Opened(const std::string& table) {
  const std::shared_ptr<data::Connection>& connection = Connection();
  OpenAdder* adder = &adders_[table];
  if (!adder->recordset || adder->recordset->ActiveConnection() != connection) {
    auto rs = data::Recordset::New();
    rs->SetCursorLocation(data::kUseServer);
    rs->Open("SELECT * FROM " + table + " WHERE 0=1", connection, data::kCursorKeyset, data::kLockOptimistic);
    adder->recordset = std::move(rs);
    adder->rows = 0;
  }
  return *adder;
}

int32_t ProductWriter::ProductColumn(const std::string& name) {
  data::Recordset& products = *Opened("PRODUCT").recordset;
  const int32_t column = products.ColumnIndex(name);
  if (column < 0) products.Field(rt::Variant(name));  // raises the unknown-field error
  return column;
}

const std::string& ProductWriter::ProductColumnName(int32_t column) {
  return Opened("PRODUCT").recordset->Column(column).name;
}

rt::Variant ProductWriter::FitToProductColumn(int32_t column, const rt::Variant& value) {
  const data::TypeInfo& type = Opened("PRODUCT").recordset->Column(column).type;
  rt::Variant fitted = data::CoerceToSubtype(value, type.subtype);
  if (type.padTo > 0 && fitted.IsString()) {
    std::string& text = *fitted.Get<std::string>();
    const int32_t length = data::CharacterCount(text);
    if (length < type.padTo) text.append(static_cast<size_t>(type.padTo - length), ' ');
  }
  return fitted;
}

}  // namespace quarvel::productxml
