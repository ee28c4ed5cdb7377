#include "sim/world/Card.h"

#include <algorithm>
#include <vector>

namespace vostrel::sim {

namespace {

// Marks the entry and everything below it removed.
void markRemoved(Entry& entry) {
  std::vector<Entry*> pending{&entry};
  while (!pending.empty()) {
    Entry* next = pending.back();
    pending.pop_back();
    next->removed = true;
    for (const auto& child : next->children) {
      pending.push_back(child.get());
    }
  }
}

// Visits every entry below the folder depth first, children in order, with
// its path relative to the folder. One path is kept and cut back as the walk
// returns from a folder.
void visitEntries(const Entry& folder,
                  const std::function<void(const std::string&, const Entry&)>& visit) {
  struct Level {
    const Entry* folder;
    std::size_t nextChild;
    std::size_t pathLength;
  };
  std::string path;
  std::vector<Level> levels{{&folder, 0, 0}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.nextChild == level.folder->children.size()) {
      levels.pop_back();
      continue;
    }
    const Entry& child = *level.folder->children[level.nextChild++];
    path.resize(level.pathLength);
    path += child.name;
    visit(path, child);
    if (child.isFolder()) {
      path += '/';
      levels.push_back({&child, 0, path.size()});
    }
  }
}

} // namespace

Entry::~Entry() {
  std::vector<std::shared_ptr<Entry>> pending = std::move(children);
  while (!pending.empty()) {
    std::shared_ptr<Entry> entry = std::move(pending.back());
    pending.pop_back();
    // An entry still referenced elsewhere (by an SDK reference) keeps what
    // it holds; its own destructor takes that apart later.
    if (entry.use_count() == 1) {
      for (auto& child : entry->children) {
        pending.push_back(std::move(child));
      }
      entry->children.clear();
    }
  }
}

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
  // Folders come before the files of a folder, whatever the order they were
  // made in, so that a card read back from its description walks the same.
  auto& children = folder->children;
  const auto place = child->isFolder()
                         ? std::find_if(children.begin(), children.end(),
                                        [](const auto& entry) { return !entry->isFolder(); })
                         : children.end();
  children.insert(place, child);
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
  visitEntries(folder, [&](const std::string& path, const Entry& entry) {
    if (!entry.isFolder()) {
      visit(path, entry);
    }
  });
}

void forEachFolder(const Entry& folder,
                   const std::function<void(const std::string& path, const Entry& folder)>& visit) {
  visitEntries(folder, [&](const std::string& path, const Entry& entry) {
    if (entry.isFolder()) {
      visit(path, entry);
    }
  });
}

std::size_t countFiles(const Entry& folder) {
  std::size_t count = 0;
  forEachFile(folder, [&](const std::string&, const Entry&) { ++count; });
  return count;
}

std::string entryPath(const Entry& entry) {
  // The names from the entry up to (not including) the volume's root, joined
  // from the top down.
  std::vector<const std::string*> names{&entry.name};
  std::size_t length = entry.name.size();
  for (auto parent = entry.parent.lock(); parent && parent->parent.lock();
       parent = parent->parent.lock()) {
    names.push_back(&parent->name);
    length += parent->name.size() + 1;
  }
  std::string path;
  path.reserve(length);
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    if (name != names.rbegin()) {
      path += '/';
    }
    path += **name;
  }
  return path;
}

} // namespace vostrel::sim
