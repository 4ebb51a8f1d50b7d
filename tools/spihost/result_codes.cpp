#include "result_codes.h"

std::string DescribeResult(int code) {
  switch (code) {
    case 0:
      return "success";
    case -1:
      return "not served";
    case 1:
      return "cancelled by the progress callback";
    case 2:
      return "unknown format";
    case 3:
      return "data broken";
    case 4:
      return "out of memory";
    case 5:
      return "memory error";
    case 6:
      return "file failed to open";
    case 7:
      return "reserved result code 7";
    case 8:
      return "internal error";
    default:
      return "unknown result code " + std::to_string(code);
  }
}
