#pragma once

// Compact JSON text of a value tree, as JavaScript's JSON.stringify writes it:
// no white space, members in insertion order, numbers in the ECMAScript
// number-to-text form; beyond the usual escapes, control, format and other
// invisible characters are written as \u escapes so that the text survives
// any transport.

#include "json/json_value.h"

#include <string>

namespace sw::json {

// Appends the JSON text of value (UTF-8). A value without anything writes
// nothing; inside containers, members without value are left out and such
// array elements are written as null.
void WriteJson(const JsonValue& value, std::string& out);

// The ECMAScript Number::toString form: the shortest digits that read back as
// the same double, plain decimal for exponents from -7 to 20, else d.ddde+XX.
// Non-finite numbers give "null", as JSON has no other word for them.
void AppendJsonNumber(double number, std::string& out);

} // namespace sw::json
