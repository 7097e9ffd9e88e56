#include "call/CVISACall.h"
#include "entry/VeskEntryPoints.h"

extern "C" IKoVeskCall* VeskNewCall() {
    // The host expects a record or an exception; new throws bad_alloc and
    // releases the storage when construction throws.
    return new nKoVeskLog210::CVISACall();
}
