#pragma once

/// pi to double precision. Spelt out rather than taken from M_PI, which the C++ standard does
/// not promise.
constexpr double pi = 3.141592653589793;
