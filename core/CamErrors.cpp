#include "core/CamErrors.h"

#include "core/ECamException.h"

#include <cctype>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <system_error>

namespace vostrel {

namespace {

// The file layer words a failure as "cannot <verb> <path>..." or as
// "<path> is not a regular file". The leading verb phrase starts the
// sentence with a capital; a message that starts with a file name keeps the
// name as it was written.
std::string Sentence(std::string text) {
  constexpr std::string_view VerbPhrase = "cannot ";
  if (text.starts_with(VerbPhrase)) {
    text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  }
  return text;
}

} // namespace

void RaiseAsCamException() {
  try {
    throw;
  } catch (const ECamException&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ECamException("Not enough memory to complete the operation");
  } catch (const std::system_error& error) {
    throw ECamException(Sentence(error.what()));
  } catch (const std::exception& error) {
    throw ECamException(std::string("The operation failed unexpectedly: ") + error.what());
  } catch (...) {
    throw ECamException("The operation failed unexpectedly");
  }
}

} // namespace vostrel
