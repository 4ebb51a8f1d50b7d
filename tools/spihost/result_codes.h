// What the result codes of a Susie plug-in's picture functions mean.
#pragma once

#include <string>

// A short text for a result code, e.g. "file failed to open" for 6.
std::string DescribeResult(int code);
