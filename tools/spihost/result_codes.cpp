#include "result_codes.h"

#include "spi/plugin_api.h"

std::string DescribeResult(int code) {
  switch (code) {
    case kResultSuccess:
      return "success";
    case kResultNotServed:
      return "not served";
    case kResultAborted:
      return "cancelled by the progress callback";
    case kResultUnknownFormat:
      return "unknown format";
    case kResultBrokenData:
      return "data broken";
    case kResultNoMemory:
      return "out of memory";
    case kResultMemoryError:
      return "memory error";
    case kResultFileOpenFailed:
      return "file failed to open";
    case kResultReserved:
      return "reserved result code 7";
    case kResultInternalError:
      return "internal error";
    default:
      return "unknown result code " + std::to_string(code);
  }
}
