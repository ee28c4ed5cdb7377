#include "sim/world/Card.h"

#include <algorithm>

namespace vostrel::sim {

namespace {

void markRemoved(Entry& entry) {
  entry.removed = true;
  for (const auto& child : entry.children) {
    markRemoved(*child);
  }
}

void visitFiles(const Entry& folder, const std::string& prefix,
                const std::function<void(const std::string&, const Entry&)>& visit) {
  for (const auto& child : folder.children) {
    const std::string path = prefix + child->name;
    if (child->isFolder()) {
      visitFiles(*child, path + "/", visit);
    } else {
      visit(path, *child);
    }
  }
}

} // namespace

std::shared_ptr<Entry> Entry::child(const std::string& childName) const {
  const auto found = std::find_if(children.begin(), children.end(),
                                  [&](const auto& entry) { return entry->name == childName; });
  return found == children.end() ? nullptr : *found;
}

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/' || c == '\\') {
      if (!part.empty()) {
        parts.push_back(part);
      }
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) {
    parts.push_back(part);
  }
  return parts;
}

void addChild(const std::shared_ptr<Entry>& folder, const std::shared_ptr<Entry>& child) {
  child->parent = folder;
  child->removed = false;
  folder->children.push_back(child);
}

std::shared_ptr<Entry> ensureFolder(Volume& volume, const std::string& path) {
  std::shared_ptr<Entry> folder = volume.root;
  for (const std::string& part : splitPath(path)) {
    std::shared_ptr<Entry> next = folder->child(part);
    if (!next) {
      next = std::make_shared<Entry>();
      next->name = part;
      addChild(folder, next);
    }
    folder = next;
  }
  return folder;
}

std::shared_ptr<Entry> findEntry(const Volume& volume, const std::string& path) {
  std::shared_ptr<Entry> entry = volume.root;
  for (const std::string& part : splitPath(path)) {
    entry = entry->child(part);
    if (!entry) {
      return nullptr;
    }
  }
  return entry;
}

void removeEntry(const std::shared_ptr<Entry>& entry) {
  if (const auto parent = entry->parent.lock()) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), entry), siblings.end());
  }
  entry->parent.reset();
  markRemoved(*entry);
}

void formatVolume(Volume& volume) {
  for (const auto& child : volume.root->children) {
    child->parent.reset();
    markRemoved(*child);
  }
  volume.root->children.clear();
}

void forEachFile(const Entry& folder,
                 const std::function<void(const std::string& path, const Entry& file)>& visit) {
  visitFiles(folder, "", visit);
}

std::size_t countFiles(const Entry& folder) {
  std::size_t count = 0;
  forEachFile(folder, [&](const std::string&, const Entry&) { ++count; });
  return count;
}

std::string entryPath(const Entry& entry) {
  std::string path = entry.name;
  for (auto parent = entry.parent.lock(); parent && parent->parent.lock();
       parent = parent->parent.lock()) {
    path = parent->name + "/" + path;
  }
  return path;
}

} // namespace vostrel::sim
