// The CDONTS component library: its one class and the four library exports.
#include <memory>

#include "platform/mail/new_mail.h"
#include "runtime/registry.h"

namespace mail {
namespace {

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      rt::ClassInfo{"CDONTS.NewMail", "{AF0EB60E-0775-11D1-A77D-00C04FC2F5B3}", rt::TransactionAttribute::None,
                    [] { return rt::ObjectPtr(std::make_shared<NewMail>()); }},
  });
  return table;
}

}  // namespace
}  // namespace mail

RT_COMPONENT_EXPORTS(mail::Classes())
