// Reads pictures drawn as text. A source file holds one family of pictures:
//
//   # comment
//   palette                  symbols for the pictures that follow
//     . clear
//     Y 255 230 0
//   picture Mog1.bmp
//   size 13 13
//   pixels
//     ....YYYYY....          one indented row per pixel row
//   picture ghost2_1.bmp
//   like ghost1_1.bmp        the same rows as an earlier picture...
//   colour B 255 184 222     ...with some symbols given other colours
//   mirror left-right        (or top-bottom)
//
// Keywords start in column 0; palette entries and rows are indented.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "picture.h"

namespace pictures {

struct NamedPicture {
  std::string name;
  Picture picture;
};

class TextSources {
 public:
  // Reads one source; earlier pictures stay available to `like`. Problems
  // are collected as "file:line: message" and the faulty picture is skipped.
  void Read(const std::string& fileName, const std::string& text);
  bool ReadFile(const std::string& path);

  const std::vector<std::string>& errors() const { return errors_; }
  const std::vector<NamedPicture>& pictures() const { return pictures_; }
  const Picture* Find(const std::string& name) const;

 private:
  std::vector<std::string> errors_;
  std::vector<NamedPicture> pictures_;
  std::map<std::string, std::vector<std::string>> rowsByName_;
};

}  // namespace pictures
