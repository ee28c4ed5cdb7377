#include "core/CamErrors.h"

#include "core/ECamException.h"

#include <cctype>
#include <exception>
#include <new>
#include <string>
#include <system_error>

namespace vostrel {

namespace {

// The text as a sentence: its first letter upper-case.
std::string Sentence(std::string text) {
  if (!text.empty()) {
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
