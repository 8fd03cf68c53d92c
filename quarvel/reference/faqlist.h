// FAQ issues (FAQISSUE) with their categories (FAQCATEGORY) and visibility
// options (FAQVISIBILITY): the class Faqlist ("Quarvel.Faqlist"), without a
// transaction attribute. It never votes commit and votes abort when a
// method fails; its errors name the class as "Brintor.Faqlist.<method>()".
// Everything, the dispatch table included, is in faqlist.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/faqlist.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class Faqlist : public rt::Object, public IFaqlist {
 public:
  std::string TypeName() const override { return "Faqlist"; }
  const rt::DispatchTable* Dispatch() const override;

  int32_t AddIssue(int32_t& iProductID, int32_t& iProductCategoryID, int32_t& iFAQCategoryID,
                   int32_t& iVisibilityOption, std::string& iDescription, std::string& iQuestion,
                   std::string& iAnswer, std::string& iDate, std::string& iAttachment, std::string& iLink) override;
  std::shared_ptr<rt::Dictionary> GetFAQCategories() override;
  std::shared_ptr<rt::Dictionary> GetFAQVisibilityOptions() override;
};

}  // namespace quarvel
