#include "host/CKOCall.h"
// Interim: the host layer lands with its own work.
