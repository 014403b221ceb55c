// Argument checks shared by the exports: the texts say which export and which argument.
#include <cmath>
#include <cstdio>
#include <string>

#include "internal.h"

namespace ephem::detail {

void raiseNotFinite(const char* function, const NamedValue& argument) {
  char value[32];
  std::snprintf(value, sizeof value, "%g", argument.value);
  raiseArithmetic(std::string(function) + ": " + argument.name + " must be a finite number (" +
                  value + " given)");
}

void requireHighIndex(const char* function, const char* array, const void* data, int32_t high,
                      int32_t needed) {
  if (data == nullptr) {
    raiseArithmetic(std::string(function) + ": " + array + " is missing (a null pointer)");
  }
  if (high < needed) {
    raiseArithmetic(std::string(function) + ": " + array + " needs elements 0.." +
                    std::to_string(needed) + ", but its highest index is " + std::to_string(high));
  }
}

}  // namespace ephem::detail
