// Folder links (symbolic links to folders) for tests of what the programs
// do when a link leads out of a folder they empty.
#pragma once
#include <string>

// A symbolic link to a folder, there while the object lives. Under Wine,
// whose CreateSymbolicLinkA makes nothing (yet reports success) and whose
// RemoveDirectoryA leaves a link in place, the link is made and removed as
// a Unix symbolic link, which Wine reports as a directory and reparse point.
// Removes the link at `link` itself, never what it leads to, also when
// that is gone; true when nothing is left at `link`, else `why` (if given)
// says what stood in the way. (Wine's RemoveDirectoryA reports success on
// a link and leaves it in place.)
bool RemoveFolderLink(const std::string& link, std::string* why = nullptr);

// A link that cannot be made fails the test that wanted it, saying why.
class FolderLink {
 public:
  FolderLink(const std::string& link, const std::string& target);
  ~FolderLink();
  FolderLink(const FolderLink&) = delete;
  FolderLink& operator=(const FolderLink&) = delete;

  // True when the link is there and reported as a linked folder.
  bool ok() const;

 private:
  std::string link_;
};
