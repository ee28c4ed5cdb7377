#pragma once
// Every failure leaves the controller as ECamException. The file layer, the
// standard library and the memory allocator raise their own exception types;
// the controller's operations convert them at their end with
// RaiseAsCamException, so a host meets one error class with a clear message.

namespace vostrel {

// Called from a catch block: raises the exception being handled again as
// ECamException. An ECamException passes unchanged; a file-layer error keeps
// its text ("Cannot open p.dat: No such file or directory"); a lack of memory
// and every other failure get a message of their own.
[[noreturn]] void RaiseAsCamException();

} // namespace vostrel
