// The fixed web pages and the user manual, by key.
#include "util/web_links.h"

#include "util/unicode.h"

#ifndef KESTREL_SITE_ROOT
#define KESTREL_SITE_ROOT "https://www.corvane.com/"
#endif

namespace kestrel {

std::string_view SiteRoot() { return KESTREL_SITE_ROOT; }

std::string WebTarget(std::string_view key, std::string_view moduleFolder) {
  std::string k = AsciiLower(key);
  std::string root(SiteRoot());
  if (k == "corvane") return root;
  if (k == "index") return root + "jump.aspx?softid=152";
  if (k == "cadweb") return root + "jump.aspx?softid=161";
  if (k == "qqgroup") return root + "jump.aspx?softid=16&VideoId=18";
  if (k == "help") return std::string(moduleFolder) + "/使用说明书.pdf";
  return "";
}

}  // namespace kestrel
