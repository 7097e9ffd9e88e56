#include "host/IKoVeskLogger.h"

// Key functions: the tables and type information of both logger interfaces
// live in the host library, so a plug-in's dynamic_cast and catch see the
// same types as the host.
IKoVeskLogger::~IKoVeskLogger() = default;

IKoVeskLoggerImpl::~IKoVeskLoggerImpl() = default;
