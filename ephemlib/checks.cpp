// SPDX-License-Identifier: LGPL-3.0-or-later
// Argument checks shared by the exports: the texts say which export and which argument.
#include <cmath>
#include <cstdio>
#include <string>

#include "internal.h"

namespace ephem::detail {

namespace {

std::string shown(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

void raiseNotFinite(const char* function, const NamedValue& argument) {
  char value[32];
  std::snprintf(value, sizeof value, "%g", argument.value);
  raiseArithmetic(std::string(function) + ": " + argument.name + " must be a finite number (" +
                  value + " given)");
}

void raiseOutOfRange(const char* function, const NamedValue& argument, const std::string& reason) {
  // All digits: near a limit the value that failed and the limit differ only in the last ones.
  raiseArithmetic(std::string(function) + ": " + argument.name + " is out of range (" +
                  shown(argument.value) + " given): " + reason);
}

void raiseMissing(const char* function, const char* name) {
  raiseArithmetic(std::string(function) + ": " + name + " is missing (a null pointer)");
}

void requireHighIndex(const char* function, const char* array, const void* data, int32_t high,
                      int32_t needed) {
  if (data == nullptr) raiseMissing(function, array);
  if (high < needed) {
    raiseArithmetic(std::string(function) + ": " + array + " needs elements 0.." +
                    std::to_string(needed) + ", but its highest index is " + std::to_string(high));
  }
}

}  // namespace ephem::detail
