#include "host/IKoVeskCall.h"

// Key function: the interface's table and type information live in the host
// library; the plug-in's entry points dynamic_cast from IKoVeskCall.
IKoVeskCall::~IKoVeskCall() = default;
