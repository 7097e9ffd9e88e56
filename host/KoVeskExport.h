// Visibility of the host library's interface. The library is built with
// hidden visibility; what the plug-in and the host program use is exported.
#pragma once

#define KOVESK_API __attribute__((visibility("default")))
