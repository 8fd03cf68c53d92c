// Product: the product record and its maintenance (to come).
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/context.h"

namespace quarvel {

using product::NotYetAvailable;

void Product::Disable(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Disable");
}
void Product::Enable(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Enable");
}
int32_t Product::Insert20(const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Insert20");
}
int32_t Product::Insert(const std::string&, int32_t, const std::string&, const std::string&, const std::string&, bool,
                        const std::string&, const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Insert");
}
bool Product::Update20(int32_t, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Update20");
}
rt::Variant Product::SetUpdateDateToNow(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("SetUpdateDateToNow");
}
bool Product::Update(int32_t, const std::string&, int32_t, const std::string&, const std::string&, const std::string&,
                     bool, const std::string&, const std::string&, const std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Update");
}

}  // namespace quarvel
