// Visibility of the platform library's entry points: the library is built with
// hidden visibility, so only what is marked here is callable from outside.
#pragma once

#define QV_PLATFORM_API __attribute__((visibility("default")))
