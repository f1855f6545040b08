// Cross-section sheets rendered with cairo: a multi-page PDF, an SVG per page, or one page as a
// preview picture, from the layout of drawing/sheet_layout.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "drawing/sheet_layout.h"

namespace kestrel {

// Called before each page is drawn: page from 1, and the number of pages.
using PageProgress = std::function<void(int page, int pages)>;

// Whether the file name ends in .pdf or .svg (any case): the sheet files WriteSectionSheets makes.
bool IsSheetFileName(const std::string& path);

// The files an .svg sheet set is written to, one per page: "plan.svg" with 12 pages gives
// "plan-01.svg" to "plan-12.svg"; a PDF is the one file.
std::vector<std::string> SheetFileNames(const std::string& path, int pages);

// Writes every page of the layout, one after the other (a page is drawn, written out and
// dropped before the next), with a title block naming `title`, the scale and the page.
// Each file appears whole or not at all. Returns "" on success, else the reason.
//   WriteSectionSheets(sections, LayOutSheets(sections, options), "survey.xlsx 实测", "plan.pdf", nullptr);
std::string WriteSectionSheets(const std::vector<SheetSection>& sections, const SheetLayout& layout,
                               const std::string& title, const std::string& path, const PageProgress& progress);

// One page (from 0) as a PNG or SVG picture: at 120 pixels an inch, or fitted into width x height
// pixels when both are given. Returns "" on success, else the reason.
std::string WriteSheetPagePicture(const std::vector<SheetSection>& sections, const SheetLayout& layout, int page,
                                  const std::string& title, const std::string& path, int width = 0, int height = 0);

}  // namespace kestrel
