// Putting what a .xlsx file held beside the model back into the package a save wrote.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "io/xlsx_kept.h"

namespace kestrel {

// Puts `element` (a copy) among a worksheet's children where the file format's order puts an
// element of that name; the copy.
pugi::xml_node InsertSheetChild(pugi::xml_node root, pugi::xml_node element);

// The parts of the package being saved, as the put-back reads and adds them.
class PackageParts {
 public:
  virtual ~PackageParts() = default;
  virtual bool Has(const std::string& part) = 0;
  // The part as the writer made it.
  virtual std::string Read(const std::string& part) = 0;
  // Replaces the part, or adds it.
  virtual void Put(const std::string& part, std::string data) = 0;
};

// Parts the file read held beside the model are carried over byte for byte (a part the writer
// also made is carried under a name of its own), with their relationships and content types;
// the sheets get back their kept elements (KeptSheet), except those placed by cell on a sheet
// whose cells moved (UnkeptOnSave names them); a very hidden sheet stays very hidden.
//   PutBack back(read, saved);
//   sheetXml = back.Sheet(0, read.Sheet(0), sheetXml);  ... back.Finish();
class PutBack {
 public:
  // `macros`: the VBA project is carried too (a macro-enabled workbook is saved).
  PutBack(XlsxWorkbook& read, PackageParts& saved, bool macros = false);

  // The saved part of the book's sheet `index` (its rows still to come) with its kept elements.
  std::string Sheet(int index, const MemoryWorksheet& sheet, const std::string& savedXml);
  // The workbook part, the relationships and the content types; every part changed is put.
  void Finish();

 private:
  // The name the part has in the saved package, copying it (and what it refers to) the first time.
  std::string Carry(const std::string& part);
  // A new relationship of `owner` in the saved package; its id.
  std::string Relate(const std::string& owner, const Relationship& relationship);
  // The styles part with the kept formats of conditional formats.
  void PutDifferentialFormats();

  XlsxWorkbook& read_;
  PackageParts& saved_;
  bool macros_ = false;
  std::map<std::string, std::string> carried_;                // source part -> saved part
  std::map<std::string, std::vector<Relationship>> related_;  // owner -> relationships to add
  std::map<std::string, std::string> overrides_;              // saved part -> content type
  std::map<std::string, std::string> defaults_;               // extension -> content type
  std::map<std::string, std::string> sourceOverrides_;        // lower-case source part -> content type
  std::map<std::string, std::string> sourceDefaults_;         // lower-case extension -> content type
  std::set<std::string> taken_;                               // lower-case names given to carried parts
  int nextId_ = 1;
};

}  // namespace kestrel
