// Faqlist: adding an FAQ issue, and the FAQ categories and visibility
// options as code -> description dictionaries.
#include "quarvel/reference/faqlist.h"

#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace quarvel {

using namespace reference;

namespace {

// The two columns of a READ COMMITTED read as first -> second, in the order read.
std::shared_ptr<rt::Dictionary> CodeDescriptions(const std::string& sql) {
  std::shared_ptr<data::Recordset> rs = Sql_GetDisconnectedRecordset(sql, getConnectionString(), true);
  auto map = rt::NewDictionary();
  for (; !rs->Eof(); rs->MoveNext()) map->Add(rs->Value(int32_t{0}), rs->Value(int32_t{1}));
  return map;
}

}  // namespace

rt::ClassInfo FaqlistClass() {
  // No transaction attribute: the object runs outside any transaction.
  return rt::ClassInfo{"Quarvel.Faqlist", "", rt::TransactionAttribute::None,
                       [] { return std::make_shared<Faqlist>(); }};
}

const rt::DispatchTable* Faqlist::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Faqlist>("Faqlist")
                                             .Method("AddIssue", &Faqlist::AddIssue)
                                             .Method("GetFAQCategories", &Faqlist::GetFAQCategories)
                                             .Method("GetFAQVisibilityOptions", &Faqlist::GetFAQVisibilityOptions)
                                             .Build();
  return &table;
}

// A product id of 0 is stored as Null; DATE is when the row is added,
// whatever iDate holds. The class runs outside any transaction; the data
// layer makes the insert and the read-back of its id one unit, so a failure
// of either stores nothing.
int32_t Faqlist::AddIssue(int32_t& iProductID, int32_t& iProductCategoryID, int32_t& iFAQCategoryID,
                          int32_t& iVisibilityOption, std::string& iDescription, std::string& iQuestion,
                          std::string& iAnswer, std::string&, std::string& iAttachment, std::string& iLink) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection(false);
    rs = data::Recordset::New();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open("SELECT * FROM FAQISSUE WHERE 1=0", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("PRODUCTID", iProductID == 0 ? rt::Variant::Null() : rt::Variant(iProductID));
    rs->SetValue("PRODUCTCATEGORYID", rt::Variant(iProductCategoryID));
    rs->SetValue("FAQCATEGORYID", rt::Variant(iFAQCategoryID));
    rs->SetValue("DESCRIPTION", rt::Variant(iDescription));
    rs->SetValue("QUESTION", rt::Variant(iQuestion));
    rs->SetValue("VISIBILITY", rt::Variant(iVisibilityOption));
    rs->SetValue("ANSWER", rt::Variant(iAnswer));
    rs->SetValue("DATE", rt::Variant(LocalNow()));
    rs->SetValue("ATTACHMENT", rt::Variant(iAttachment));
    rs->SetValue("LINK", rt::Variant(iLink));
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("FAQISSUEID"));
    Sql_CloseConnection(cn);
    return id;
  } catch (...) {
    HandleMethodError("Brintor.Faqlist.AddIssue()", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

std::shared_ptr<rt::Dictionary> Faqlist::GetFAQCategories() {
  rt::ContextScope scope(*this);
  try {
    return CodeDescriptions("SELECT FAQCATEGORYID, FAQCATEGORYDESCRIPTION FROM FAQCATEGORY");
  } catch (...) {
    HandleMethodError("Brintor.Faqlist.GetFAQCategories()", Mts_SetAbort);
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Faqlist::GetFAQVisibilityOptions() {
  rt::ContextScope scope(*this);
  try {
    return CodeDescriptions("SELECT VISIBILITYID, VISIBILITYDESCRIPTION FROM FAQVISIBILITY");
  } catch (...) {
    HandleMethodError("Brintor.Faqlist.GetFAQVisibilityOptions()", Mts_SetAbort);
  }
  return nullptr;
}

}  // namespace quarvel
