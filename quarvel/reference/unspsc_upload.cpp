// TUNSPSC: loading a code list from a workbook (Excel.Application) or an
// XML document (MSXML2.DOMDocument validated against the installation's
// schema), each code stored through storeUNSPSCCode.
//
// Failures that the caller must tell apart go to it straight, as raised,
// without a description block, a log entry or a vote: the spreadsheet
// application or the XML parser missing, a document that cannot be loaded,
// one that fails the schema, a schema that cannot be read. Any other
// failure votes abort, so nothing of the list is kept, and is logged and
// raised through the handler.
#include <optional>

#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "interfaces/quarvel_errors.h"
#include "quarvel/reference/tunspsc.h"
#include "quarvel/reference/unspsc_common.h"
#include "quarvel/reference/unspsc_store.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using unspsc::Obj;

namespace {

const char* const kXlsSource = "Quarvel.UNSPSC.UploadFromXLS";
const char* const kXmlSource = "Quarvel.UNSPSC.UploadFromXML";
const char* const kSchemaFile = "/xmlschemas/UNSPSC_Schema.xml";
const int32_t kUnableToLoad = ErrorNumber(QuarvelErrors::eUnableToLoadXML);

// A failure raised straight to the caller, past the method's handler.
struct StraightFailure {
  std::string description;
};

// Runs `step`; a failure of it becomes a straight failure with `description`.
template <class F>
auto OrFailStraight(const std::string& description, F&& step) -> decltype(step()) {
  try {
    return step();
  } catch (...) {
    rt::TrapError();
    rt::Err().Clear();
    throw StraightFailure{description};
  }
}

// Stores one code of the list and notes a non-zero status under the code as
// read, unless the code is noted already.
void Store(data::Connection& connection, rt::Dictionary& result, const std::string& code,
           const std::string& description, bool overwrite, bool commodity) {
  const int16_t status = storeUNSPSCCode(connection, code, description, overwrite, commodity);
  if (status != eUNSPSCStored && !result.Exists(rt::Variant(code))) result.Add(rt::Variant(code), rt::Variant(status));
}

std::string Text(const rt::ObjectPtr& cellOrNode) { return rt::CStr(cellOrNode->GetProperty("Text")); }

// Find("*") over the sheet's cells: by rows (1) or columns (2), next (1) or
// previous (2); the row or column of the cell found as a 16-bit number.
// An empty sheet finds Nothing (91); a number beyond 32767 overflows (6).
int16_t UsedEdge(const rt::ObjectPtr& cells, int32_t searchOrder, int32_t searchDirection, const char* edge) {
  const rt::Variant missing = rt::Variant::Missing();
  const rt::Variant found = cells->Call(
      "Find", {rt::Variant("*"), missing, missing, missing, rt::Variant(searchOrder), rt::Variant(searchDirection)});
  return rt::CInt(Obj(found)->GetProperty(edge));
}

}  // namespace

std::shared_ptr<rt::Dictionary> TUNSPSC::UploadFromXLS(const std::string& sFile, bool bOverwrite,
                                                       bool bUpdCommodity) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr workbook;
  std::shared_ptr<data::Connection> connection;
  try {
    rt::ObjectPtr excel = OrFailStraight("MS Excel should be installed to upload from XLS",
                                         [] { return rt::CreateObject("Excel.Application"); });
    workbook = OrFailStraight("Unable to load XLS", [&] {
      return Obj(Obj(excel->GetProperty("Workbooks"))->Call("Open", {rt::Variant(sFile)}));
    });
    rt::ObjectPtr sheet = Obj(workbook->Call("Sheets", {rt::Variant(int32_t{1})}));
    rt::ObjectPtr cells = Obj(sheet->GetProperty("Cells"));
    const int16_t firstRow = UsedEdge(cells, 1, 1, "Row");
    const int16_t firstColumn = UsedEdge(cells, 2, 1, "Column");
    const int16_t lastRow = UsedEdge(cells, 1, 2, "Row");
    const int16_t lastColumn = UsedEdge(cells, 2, 2, "Column");
    rt::ObjectPtr block = Obj(sheet->Call("Range", {sheet->Call("Cells", {rt::Variant(firstRow), rt::Variant(firstColumn)}),
                                                    sheet->Call("Cells", {rt::Variant(lastRow), rt::Variant(lastColumn)})}));

    connection = getConnection(false);
    auto result = rt::NewDictionary();
    const int32_t rows = rt::CLng(Obj(block->GetProperty("Rows"))->GetProperty("Count"));
    // Row 1 of the block is the header.
    for (int32_t row = 2; row <= rows; ++row) {
      const std::string code = Text(Obj(block->Call("Cells", {rt::Variant(row), rt::Variant(int32_t{1})})));
      if (rt::Trim(code).empty()) continue;
      const std::string description = Text(Obj(block->Call("Cells", {rt::Variant(row), rt::Variant(int32_t{2})})));
      Store(*connection, *result, code, description, bOverwrite, bUpdCommodity);
    }
    Sql_CloseConnection(connection);
    workbook->Call("Close");
    return result;
  } catch (const StraightFailure& failure) {
    Err_Raise(kUnableToLoad, kXlsSource, failure.description);
  } catch (...) {
    HandleMethodError(kXlsSource, [&] {
      Sql_CloseConnection(connection);
      if (workbook && !rt::TryResume([&] { workbook->Call("Close"); })) rt::Err().Clear();
      Mts_SetAbort();
    });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> TUNSPSC::UploadFromXML(const std::string& sFile, bool bOverwrite,
                                                       bool bUpdCommodity) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr cache;
  std::shared_ptr<data::Connection> connection;
  try {
    rt::ObjectPtr document = rt::CreateObject("MSXML2.DOMDocument");
    document->LetProperty("async", rt::Variant(false));
    document->Call("setProperty", {rt::Variant("ServerHTTPRequest"), rt::Variant(true)});
    if (!rt::CBool(document->Call("Load", {rt::Variant(sFile)}))) throw StraightFailure{"Unable to load XML"};

    rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
    cache = rt::CreateObject("MSXML2.XMLSchemaCache");
    cache->Call("Add", {rt::Variant(""), rt::Variant(rt::CStr(configuration->Call("GetInstallDir")) + kSchemaFile)});
    configuration = nullptr;
    document->LetProperty("schemas", rt::Variant(cache));
    rt::ObjectPtr parseError = Obj(document->Call("Validate"));
    if (rt::CLng(parseError->GetProperty("errorCode")) != 0)
      throw StraightFailure{rt::CStr(parseError->GetProperty("reason"))};

    rt::ObjectPtr items = Obj(Obj(document->GetProperty("documentElement"))
                                  ->Call("getElementsByTagName", {rt::Variant("UNSPSC_ITEM")}));
    connection = getConnection(false);
    auto result = rt::NewDictionary();
    const int32_t count = rt::CLng(items->GetProperty("length"));
    for (int32_t i = 0; i < count; ++i) {
      // The code and the description are the item's first two children,
      // whatever their names.
      rt::ObjectPtr children = Obj(Obj(items->Call("item", {rt::Variant(i)}))->GetProperty("childNodes"));
      const std::string code = Text(Obj(children->Call("item", {rt::Variant(int32_t{0})})));
      if (rt::Trim(code).empty()) continue;
      const std::string description = Text(Obj(children->Call("item", {rt::Variant(int32_t{1})})));
      Store(*connection, *result, code, description, bOverwrite, bUpdCommodity);
    }
    Sql_CloseConnection(connection);
    return result;
  } catch (const StraightFailure& failure) {
    Err_Raise(kUnableToLoad, kXmlSource, failure.description);
  } catch (...) {
    // A failure while the schema cache holds no schema: the schema file is
    // missing or unreadable. A failure before the cache exists (no XML
    // parser, no configuration) is a failure of its own, reported as it is.
    std::optional<int32_t> schemas;
    if (cache && rt::TryResume([&] { schemas = rt::CLng(cache->GetProperty("length")); }) && *schemas == 0) {
      rt::Err().Clear();
      Sql_CloseConnection(connection);
      Err_Raise(kUnableToLoad, kXmlSource, "Schema not found");
    }
    HandleMethodError(kXmlSource, [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

}  // namespace quarvel
