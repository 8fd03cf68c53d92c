// Product: deleting a product with everything in the catalog that hangs on
// it, after the referential checker agreed and let the other components
// clean up; and the class's answers to the checker (IReferentialIntegrity)
// about the keys that product data refers to.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/attachment_folder.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

// The same words serve the refused delete.
constexpr const char* kDeleteRefused = "The record you are trying to insert has an invalid reference to another record";

}  // namespace

bool Product::Delete(int32_t iProductID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  rt::ObjectPtr checker;
  try {
    const rt::Variant names = OneElement(rt::Variant("ProductID"));
    const rt::Variant values = OneElement(rt::Variant(iProductID));
    checker = Gen_GetComponent("Solvane.ReferentialChecker");
    if (!rt::CBool(checker->Call("CanDelete", {rt::Variant("Quarvel"), rt::Variant("PRODUCT"), names, values})))
      RaiseRefused(kDeleteRefused);
    if (!rt::CBool(checker->Call("BeforeDelete", {rt::Variant("Product"), names, values})))
      RaiseRefused(kDeleteRefused);
    const bool hadAttachments = BeforeDelete("Product", names, values);
    cn = getConnection();
    rt::Variant deleted;
    cn->Execute("DELETE FROM PRODUCT WHERE PRODUCTID = " + std::to_string(iProductID), &deleted);
    Sql_CloseConnection(cn);
    if (rt::CLng(deleted) == 0) rt::Raise(kProductNotFound, Source("Delete"), "Product not present");
    // Only now that the product row is gone: files are not rolled back.
    if (hadAttachments) RemoveAttachmentFolder(iProductID);
    checker.reset();
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("Delete"), [&] {
      checker.reset();
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// Each statement runs on a connection of its own, the previous one closed
// first. The key value goes in as a number. The attachment folder is the
// caller's to remove, once the product row is gone.
bool Product::BeforeDelete(const std::string& /*origin*/, const rt::Variant& names, const rt::Variant& values) {
  std::shared_ptr<data::Connection> cn;
  try {
    const std::string value = SqlLong(values.AsArray().At(0));
    const std::string condition = rt::CStr(names.AsArray().At(0)) + "=" + value;
    auto run = [&](const std::string& sql, rt::Variant* affected = nullptr) {
      Sql_CloseConnection(cn);
      cn = getConnection();
      cn->Execute(sql, affected);
    };
    rt::Variant files;
    run("DELETE FROM attachedfile WHERE " + condition, &files);
    run("DELETE FROM productpropvalue WHERE " + condition);
    run("DELETE FROM productsbycategory WHERE " + condition);
    run("DELETE FROM alternativeproducts WHERE ORIGINALPRODUCT=" + value);
    run("DELETE FROM catalogproductprice WHERE " + condition);
    run("DELETE FROM favorites WHERE " + condition);
    run("DELETE FROM productbuyer WHERE " + condition);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return rt::CLng(files) > 0;
  } catch (...) {
    HandleMethodError(Source("BeforeDelete"), [&] {
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// A user's favourites go with the user; the user id is quoted as text.
bool Product::IReferentialIntegrity_BeforeDelete(const std::string& /*iOrigin*/, const rt::Variant& iKeys,
                                                 const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getConnection();
    const rt::SafeArray& keys = iKeys.AsArray();
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      if (rt::UCase(rt::CStr(keys.At(i))) != "USERID") continue;
      cn->Execute("DELETE FROM FAVORITES WHERE USERID = '" + Gen_SqlQuote(iValues.AsArray().At(i)) + "'");
      break;
    }
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("BeforeDelete"), [&] {
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// Only the first key is looked at. Its name, upper-cased, chooses the
// statements; the name as passed is the column of their condition (a name
// that upper-cases to one of those below is one of the columns). Ids go in
// as the numbers given, a fraction kept (so 1.5 finds no row), codes and
// user ids as quoted text. A UNSPSC code (the checker passes the referring
// column's name, UNSPSCCODE; UNSPSCCODES is the key's own name) is looked
// for in the UNSPSCCODE columns of products and product categories. Any other name leaves the statement empty, and the
// call fails.
bool Product::IReferentialIntegrity_Exists(const std::string& /*iOrigin*/, const rt::Variant& iKeys,
                                           const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::string sql[3];
  try {
    const rt::SafeArray& keys = iKeys.AsArray();
    if (keys.Dimensions() == 0 || keys.UBound() < keys.LBound()) {
      Mts_SetComplete();
      return false;
    }
    const std::string name = rt::CStr(keys.At(keys.LBound()));
    const rt::Variant& value = iValues.AsArray().At(keys.LBound());
    const std::string key = rt::UCase(name);
    auto quoted = [&] { return name + " = '" + Gen_SqlQuote(value) + "'"; };
    if (key == "BUSINESSPARTNERID") {
      sql[0] = "SELECT BUSINESSPARTNERID FROM PRODUCT WHERE " + name + " = " + SqlNumber(value);
    } else if (key == "OFFICEDESCRIPTION") {
      sql[0] = "SELECT OFFICEDESCRIPTION FROM CONTRACTLINES WHERE " + quoted();
    } else if (key == "CURRENCYCODE") {
      sql[0] = "SELECT PRODUCTID FROM CATALOGPRODUCTPRICE WHERE " + quoted();
    } else if (key == "COMMODITYCODE" || key == "CHARGETYPECODE") {
      sql[0] = "SELECT COMMODITYCODE FROM COMMODITY WHERE " + quoted();
    } else if (key == "PRODUCTID") {
      sql[0] = "SELECT PRODUCTID FROM PRODUCT WHERE " + name + " = " + SqlNumber(value);
    } else if (key == "USERID") {
      sql[0] = "SELECT PRODUCTID FROM PRODUCT WHERE " + quoted();
      sql[1] = "SELECT USERID FROM COMMODITY WHERE " + quoted();
      sql[2] = "SELECT USERID FROM FAVORITES WHERE " + quoted();
    } else if (key == "UNSPSCCODES" || key == "UNSPSCCODE") {
      const std::string like = "UNSPSCCODE like '" + Gen_SqlEscapeLike(value) + "'";
      sql[0] = "SELECT UNSPSCCODE FROM PRODUCT WHERE " + like;
      sql[1] = "SELECT UNSPSCCODE FROM PRODUCTCATEGORY WHERE " + like;
    }
    cn = getReadCommittedConnection();
    bool exists = false;
    for (const std::string& statement : sql) {
      if (exists || (statement.empty() && &statement != &sql[0])) break;
      auto rs = OpenRecordset(statement, cn, data::kCursorForwardOnly, data::kLockReadOnly);
      exists = !rs->Eof();
      rs->Close();
    }
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return exists;
  } catch (...) {
    HandleMethodError(Source("Exists ") + sql[0] + " SQL2: " + sql[1] + " lSQL3: " + sql[2], [&] {
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

}  // namespace quarvel
