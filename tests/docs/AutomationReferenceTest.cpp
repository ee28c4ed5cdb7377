// The automation reference (docs/automation-reference.md) describes exactly
// the members, events and enumerations of the type library's source: the
// same names in the same order, DISPIDs, kinds, parameters with their types
// and, for enumerations, the values they list, results, and enumeration
// members with their values. Every message it quotes is one the code raises.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadText(const char* fileName) {
  std::ifstream file(fileName, std::ios::binary);
  std::ostringstream contents;
  contents << file.rdbuf();
  std::string text = contents.str();
  std::erase(text, '\r');
  return text;
}

struct Parameter {
  std::string Name;
  std::string Type;
  bool operator==(const Parameter&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Parameter& parameter) {
  return out << parameter.Name << ": " << parameter.Type;
}

struct Member {
  std::string Name;
  std::string Dispid;
  std::string Kind;
  std::vector<Parameter> Parameters;
  std::string Result = "none";
  bool operator==(const Member&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Member& member) {
  out << member.Name << " DISPID " << member.Dispid << " (" << member.Kind << ") ->"
      << member.Result;
  for (const Parameter& parameter : member.Parameters) {
    out << " [" << parameter << "]";
  }
  return out;
}

using Enumerations = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

// The Values column of a parameter whose type is an enumeration.
struct ListedValues {
  std::string Member;
  std::string Parameter;
  std::string Type;
  std::vector<std::pair<std::string, std::string>> Values;
};

struct Library {
  std::vector<Member> Members;
  std::vector<Member> Events;
  Enumerations Enums;
  std::vector<ListedValues> Values;
  // The quoted texts of the Raises lines, with the member they belong to.
  std::vector<std::pair<std::string, std::string>> Messages;
};

// ---- the IDL -------------------------------------------------------------

std::vector<Member> IdlMembers(const std::string& block, const std::string& returns, bool events) {
  std::vector<Member> members;
  const std::regex declaration("\\[([^\\]]*)\\] " + returns + " (\\w+)\\(([^;]*)\\);");
  const std::regex parameter("\\[([^\\]]*)\\]\\s*([\\w ]+?)\\s*\\*?\\s*(\\w+)$");
  for (auto it = std::sregex_iterator(block.begin(), block.end(), declaration);
       it != std::sregex_iterator(); ++it) {
    const std::string attributes = (*it)[1];
    Member member;
    member.Name = (*it)[2];
    member.Dispid = std::regex_replace(attributes, std::regex(".*id\\((-?\\d+)\\).*"), "$1");
    member.Kind = events                                            ? "event"
                  : attributes.find("propget") != std::string::npos ? "property, read only"
                  : attributes.find("propput") != std::string::npos ? "property, write"
                                                                    : "method";
    // Parameters are split before each '[' of their attributes.
    const std::string list = (*it)[3];
    const std::regex split(",\\s*(?=\\[)");
    for (auto piece = std::sregex_token_iterator(list.begin(), list.end(), split, -1);
         piece != std::sregex_token_iterator(); ++piece) {
      const std::string text = *piece;
      std::smatch match;
      if (!std::regex_search(text, match, parameter)) {
        continue;
      }
      if (std::string(match[1]).find("retval") != std::string::npos) {
        member.Result = match[2];
      } else {
        member.Parameters.push_back({match[3], match[2]});
      }
    }
    // A property with a read and a write accessor is one entry.
    if (!members.empty() && members.back().Name == member.Name) {
      members.back().Kind = "property, read and write";
      continue;
    }
    members.push_back(member);
  }
  return members;
}

Library ReadIdl() {
  const std::string idl = ReadText(VOSTREL_IDL_FILE);
  Library library;
  const std::regex enumeration("enum (\\w+) \\{([^}]*)\\}");
  const std::regex value("(\\w+) = (-?\\d+)");
  for (auto it = std::sregex_iterator(idl.begin(), idl.end(), enumeration);
       it != std::sregex_iterator(); ++it) {
    const std::string body = (*it)[2];
    auto& members = library.Enums[(*it)[1]];
    for (auto member = std::sregex_iterator(body.begin(), body.end(), value);
         member != std::sregex_iterator(); ++member) {
      members.emplace_back((*member)[1], (*member)[2]);
    }
  }
  const auto interfaceStart = idl.find("interface IVostrelActiveXX : IDispatch");
  const auto eventsStart = idl.find("dispinterface IVostrelActiveXXEvents\n");
  library.Members =
      IdlMembers(idl.substr(interfaceStart, eventsStart - interfaceStart), "HRESULT", false);
  library.Events = IdlMembers(idl.substr(eventsStart), "void", true);
  return library;
}

// ---- the reference ---------------------------------------------------------

// "`long`" or "[`TxCamModType`](#txcammodtype)" -> the type's name.
std::string TypeOf(const std::string& cell) {
  std::smatch match;
  std::regex_search(cell, match, std::regex("`([^`]+)`"));
  return match[1];
}

Library ReadReference(std::vector<std::string>& incomplete) {
  std::istringstream lines(ReadText(VOSTREL_REFERENCE_FILE));
  Library library;
  const std::regex memberHeading("### `(\\w+)` · DISPID (-?\\d+) · (.+)");
  const std::regex enumHeading("### `(Tx\\w+)`");
  const std::regex parameterRow("\\| `(\\w+)` \\| ([^|]+) \\|([^|]*)\\|.*");
  const std::regex listedValue("`(\\w+)` = (-?\\d+)");
  const std::regex quoted("\"([^\"]+)\"");
  const std::regex valueRow("\\| `(\\w+)` \\| (-?\\d+) \\|");
  Member* member = nullptr;
  std::vector<std::pair<std::string, std::string>>* enumeration = nullptr;
  bool needs = true;
  bool raises = true;
  const auto finish = [&] {
    if (member != nullptr && member->Kind != "event" && (!needs || !raises)) {
      incomplete.push_back(member->Name);
    }
  };
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_match(line, match, memberHeading)) {
      finish();
      std::vector<Member>& list = match[3] == "event" ? library.Events : library.Members;
      list.push_back({match[1], match[2], match[3], {}, "none"});
      member = &list.back();
      enumeration = nullptr;
      needs = raises = false;
    } else if (std::regex_match(line, match, enumHeading)) {
      finish();
      member = nullptr;
      enumeration = &library.Enums[match[1]];
    } else if (line.rfind("## ", 0) == 0) {
      finish();
      member = nullptr;
      enumeration = nullptr;
    } else if (enumeration != nullptr && std::regex_match(line, match, valueRow)) {
      enumeration->emplace_back(match[1], match[2]);
    } else if (member != nullptr && std::regex_match(line, match, parameterRow)) {
      member->Parameters.push_back({match[1], TypeOf(match[2])});
      const std::string values = match[3];
      ListedValues listed{member->Name, match[1], TypeOf(match[2]), {}};
      for (auto it = std::sregex_iterator(values.begin(), values.end(), listedValue);
           it != std::sregex_iterator(); ++it) {
        listed.Values.emplace_back((*it)[1], (*it)[2]);
      }
      library.Values.push_back(listed);
    } else if (member != nullptr && line.rfind("- Result: ", 0) == 0) {
      member->Result = line.substr(10) == "none" ? "none" : TypeOf(line.substr(10));
    } else if (member != nullptr && line.rfind("- Needs: ", 0) == 0 && line.size() > 9) {
      needs = true;
    } else if (member != nullptr && line.rfind("- Raises: ", 0) == 0 && line.size() > 10) {
      raises = true;
      for (auto it = std::sregex_iterator(line.begin(), line.end(), quoted);
           it != std::sregex_iterator(); ++it) {
        library.Messages.emplace_back(member->Name, (*it)[1]);
      }
    }
  }
  finish();
  return library;
}

class AutomationReference : public ::testing::Test {
protected:
  Library idl = ReadIdl();
  std::vector<std::string> incomplete;
  Library reference = ReadReference(incomplete);
};

TEST_F(AutomationReference, ReadsTheTypeLibrarySource) {
  // A parser that finds nothing would let every comparison pass.
  EXPECT_GE(idl.Members.size(), 70U);
  EXPECT_EQ(idl.Events.size(), 8U);
  EXPECT_EQ(idl.Enums.size(), 20U);
}

TEST_F(AutomationReference, DescribesEveryMemberAsTheTypeLibraryDeclaresIt) {
  EXPECT_EQ(reference.Members.size(), idl.Members.size());
  for (std::size_t index = 0; index < std::max(reference.Members.size(), idl.Members.size());
       ++index) {
    if (index >= reference.Members.size()) {
      ADD_FAILURE() << "not in the reference: " << idl.Members[index];
    } else if (index >= idl.Members.size()) {
      ADD_FAILURE() << "not in the type library: " << reference.Members[index];
    } else {
      EXPECT_EQ(reference.Members[index], idl.Members[index]);
    }
  }
  EXPECT_TRUE(incomplete.empty()) << "members without Needs or Raises: " << incomplete.size()
                                  << ", first " << (incomplete.empty() ? "" : incomplete[0]);
}

TEST_F(AutomationReference, DescribesEveryEventWithItsArguments) {
  ASSERT_EQ(reference.Events.size(), idl.Events.size());
  for (std::size_t index = 0; index < idl.Events.size(); ++index) {
    EXPECT_EQ(reference.Events[index], idl.Events[index]);
  }
}

TEST_F(AutomationReference, ListsEveryEnumerationWithItsValues) {
  EXPECT_EQ(reference.Enums, idl.Enums);
}

TEST_F(AutomationReference, ListsTheValuesOfEveryEnumerationParameter) {
  std::size_t checked = 0;
  for (const ListedValues& listed : reference.Values) {
    const auto enumeration = idl.Enums.find(listed.Type);
    if (enumeration == idl.Enums.end()) {
      EXPECT_TRUE(listed.Values.empty()) << listed.Member << " " << listed.Parameter;
      continue;
    }
    EXPECT_EQ(listed.Values, enumeration->second) << listed.Member << " " << listed.Parameter;
    ++checked;
  }
  EXPECT_GE(checked, 20U);
}

// ---- the messages ----------------------------------------------------------

// The string literals of a C++ source, with literals that follow each other
// (only blanks or a '+' between them) joined into one.
std::vector<std::string> StringLiterals(const std::string& source) {
  std::vector<std::string> literals;
  bool joinNext = false;
  std::size_t index = 0;
  const auto skipTo = [&](const std::string& end) {
    const std::size_t found = source.find(end, index);
    index = found == std::string::npos ? source.size() : found + end.size();
  };
  while (index < source.size()) {
    const char c = source[index];
    if (source.compare(index, 2, "//") == 0) {
      skipTo("\n");
      joinNext = false;
    } else if (source.compare(index, 2, "/*") == 0) {
      skipTo("*/");
    } else if (c == '\'') {
      index += source[index + 1] == '\\' ? 2 : 1;
      skipTo("'");
      joinNext = false;
    } else if (c == '"') {
      std::string literal;
      for (++index; index < source.size() && source[index] != '"'; ++index) {
        if (source[index] == '\\' && index + 1 < source.size()) {
          ++index;
        }
        literal += source[index];
      }
      ++index;
      if (joinNext && !literals.empty()) {
        literals.back() += literal;
      } else {
        literals.push_back(literal);
      }
      joinNext = true;
    } else {
      if (c != ' ' && c != '\n' && c != '\t' && c != '+') {
        joinNext = false;
      }
      ++index;
    }
  }
  return literals;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? std::string()
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

TEST_F(AutomationReference, QuotesOnlyMessagesTheCodeRaises) {
  std::vector<std::string> literals;
  for (const char* folder :
       {"core", "eos", "powershot_pr", "powershot_cd", "activex", "platform"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(VOSTREL_SOURCE_DIR) / folder)) {
      const std::string extension = entry.path().extension().string();
      if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h")) {
        const std::vector<std::string> found =
            StringLiterals(ReadText(entry.path().string().c_str()));
        literals.insert(literals.end(), found.begin(), found.end());
      }
    }
  }
  ASSERT_GE(literals.size(), 500U);
  const auto inCode = [&](const std::string& fragment) {
    return std::any_of(literals.begin(), literals.end(), [&](const std::string& literal) {
      return literal.find(fragment) != std::string::npos;
    });
  };
  ASSERT_GE(reference.Messages.size(), 40U);
  for (const auto& [member, message] : reference.Messages) {
    // "..." or a <placeholder> stands for what the code puts in; a message
    // may start with the name of the member, which the code passes to the
    // check that raises.
    std::string text = std::regex_replace(message, std::regex("<[A-Za-z]+>"), "...");
    if (text.rfind(member, 0) == 0) {
      text.erase(0, member.size());
    }
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t dots = text.find("...", start);
      const std::string fragment = Trim(text.substr(start, dots - start));
      if (!fragment.empty()) {
        EXPECT_TRUE(inCode(fragment)) << member << ": \"" << fragment << "\" is in no message";
      }
      if (dots == std::string::npos) {
        break;
      }
      start = dots + 3;
    }
  }
}

} // namespace
