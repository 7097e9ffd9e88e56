// What the project's shared libraries export.
//
// Both libraries (the host's libKoVeskClasses.so and the plug-in
// libKoVeskVV.so) are built with hidden visibility: only what is marked
// KOVESK_API is seen by the other library and the host program, and each
// library's linker version script lists the same names again. Classes
// that cross the boundary (dynamic_cast between the host's and the
// plug-in's classes, exceptions thrown in one library and caught in
// another) are marked too, so that their type information is one.
#pragma once

#define KOVESK_API __attribute__((visibility("default")))
