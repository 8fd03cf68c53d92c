// Lib_MTS: transaction votes.
#include "common/lib_mts.h"

#include "runtime/context.h"

void Mts_SetComplete() {
  if (rt::ObjectContext* context = rt::GetObjectContext()) context->SetComplete();
}

void Mts_SetAbort() {
  if (rt::ObjectContext* context = rt::GetObjectContext()) context->SetAbort();
}
