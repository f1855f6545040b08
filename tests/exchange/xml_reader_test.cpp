// The exchange files' XML reader: other writers' markup, and hostile documents refused at a cost
// bounded by their content.
#include "exchange/xml_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <streambuf>

namespace kestrel {
namespace {

XmlElement Read(const std::string& text) {
  std::istringstream in(text);
  return ReadXml(in);
}

TEST(XmlReader, ReadsPrefixesCommentsReferencesAndCdataAsOneTree) {
  const XmlElement root = Read(
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- before -->\n"
      "<lx:LandXML xmlns:lx=\"urn:x\" lx:version='1.2'>\n  <!-- a note -->\n"
      "  <lx:A name=\"a &amp; b &#x4E2D;&#25991;\">1 &lt; 2<![CDATA[ <raw> ]]></lx:A>\n"
      "  <?pi stays out?><B/>\n</lx:LandXML>\n<!-- after -->\n");
  EXPECT_EQ(root.Name, "LandXML");
  ASSERT_NE(root.Attribute("version"), nullptr);
  EXPECT_EQ(*root.Attribute("version"), "1.2");
  EXPECT_EQ(root.Attribute("lx"), nullptr);  // namespace declarations are not attributes
  ASSERT_EQ(root.Children.size(), 2u);
  EXPECT_EQ(*root.Children[0].Attribute("name"), "a & b 中文");
  EXPECT_EQ(root.Children[0].Text, "1 < 2 <raw> ");
  EXPECT_EQ(root.Child("B")->Children.size(), 0u);
  EXPECT_EQ(root.Text, "");  // indentation between children is not kept
}

TEST(XmlReader, RefusesHostileAndMalformedDocumentsWithOneLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "no XML element"},
      {"PK\x03\x04 binary", "text before the first element"},
      {"<!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;\">]><LandXML>&lol2;</LandXML>",
       "document type declaration"},
      {"<LandXML>&lol;</LandXML>", "&lol; is not defined"},
      {"<a><b></a></b>", "</b> expected"},
      {"<a x=1/>", "without quotes"},
      {"<a>", "ends inside <a>"},
      {"<a/><b/>", "a second root element"},
      {"<a/>trailing", "text after the root element"},
      {"<a>&#x110000;</a>", "out of range"},
  };
  for (const auto& [text, why] : cases) {
    try {
      Read(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ExchangeError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(why), std::string::npos) << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
  }
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "<a>";
  EXPECT_THROW(Read(deep), ExchangeError);
  XmlLimits few;
  few.MaxElements = 3;
  std::istringstream many("<a><b/><b/><b/></a>");
  EXPECT_THROW(ReadXml(many, few), ExchangeError);
}

// A stream of `count` blanks between a head and a tail, made as it is read.
class BlankStream : public std::streambuf {
 public:
  BlankStream(std::string head, long long count, std::string tail)
      : head_(std::move(head)), tail_(std::move(tail)), count_(count), blanks_(1 << 16, ' ') {}

 protected:
  int_type underflow() override {
    if (stage_ == 0) {
      stage_ = 1;
      return Serve(head_);
    }
    if (stage_ == 1 && count_ > 0) {
      const long long n = std::min<long long>(count_, static_cast<long long>(blanks_.size()));
      count_ -= n;
      setg(blanks_.data(), blanks_.data(), blanks_.data() + n);
      return traits_type::to_int_type(' ');
    }
    if (stage_ == 1) {
      stage_ = 2;
      return Serve(tail_);
    }
    return traits_type::eof();
  }

 private:
  int_type Serve(std::string& text) {
    if (text.empty()) return underflow();
    setg(text.data(), text.data(), text.data() + text.size());
    return traits_type::to_int_type(text[0]);
  }
  std::string head_, tail_;
  long long count_;
  std::string blanks_;
  int stage_ = 0;
};

TEST(XmlReader, BlanksAreReadThroughWithoutBeingKept) {
  // 64 MB of blanks, around and inside elements: nothing of them is kept.
  BlankStream around("", 64ll << 20, "");
  std::istream aroundIn(&around);
  EXPECT_THROW(ReadXml(aroundIn), ExchangeError);
  BlankStream inside("<LandXML><a>", 64ll << 20, "</a></LandXML>");
  std::istream insideIn(&inside);
  const XmlElement root = ReadXml(insideIn);
  EXPECT_EQ(root.Children.at(0).Text, "");
  // Text that is kept counts against the limit instead.
  XmlLimits small;
  small.MaxTextBytes = 1000;
  BlankStream kept("<LandXML>x", 5000, "</LandXML>");
  std::istream keptIn(&kept);
  EXPECT_THROW(ReadXml(keptIn, small), ExchangeError);
}

}  // namespace
}  // namespace kestrel
