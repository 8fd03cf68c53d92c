// Lib_MTS: transaction votes on the caller's object context.
#pragma once

// Vote commit or abort on the current object context; nothing outside a
// component server. A failing vote reaches the caller unchanged.
void Mts_SetComplete();
void Mts_SetAbort();
