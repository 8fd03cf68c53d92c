// The FAQ class of the catalog library ("Quarvel.Faqlist") for C++ callers:
// adding FAQ issues and listing the FAQ categories and visibility options.
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"

struct IFaqlist {
  virtual ~IFaqlist() = default;
  // Stores a new issue and answers its FAQISSUEID. A product id of 0 is
  // stored as Null; DATE is the local date and time of the insert (iDate is
  // not read).
  virtual int32_t AddIssue(int32_t& iProductID, int32_t& iProductCategoryID, int32_t& iFAQCategoryID,
                           int32_t& iVisibilityOption, std::string& iDescription, std::string& iQuestion,
                           std::string& iAnswer, std::string& iDate, std::string& iAttachment,
                           std::string& iLink) = 0;
  // FAQCATEGORYID -> FAQCATEGORYDESCRIPTION (keys are numbers).
  virtual std::shared_ptr<rt::Dictionary> GetFAQCategories() = 0;
  // VISIBILITYID -> VISIBILITYDESCRIPTION (keys are numbers).
  virtual std::shared_ptr<rt::Dictionary> GetFAQVisibilityOptions() = 0;
};
