// LandXML out and in: a road written and read back is the same road; another writer's style
// reads; what cannot be read is refused with one line.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>

#include "exchange/landxml_reader.h"
#include "exchange/landxml_writer.h"
#include "plan_chain.h"

namespace kestrel {
namespace {

RoadExchange SampleRoad() {
  RoadExchange road;
  road.Name = "K线";
  const std::vector<PlanElement> elements = Chain({{3000, 5000}, 1.1}, 1000,
                                                 {{PlanElementKind::Line, 80, 0, 0},
                                                  {PlanElementKind::Clothoid, 60, 0, -1.0 / 250},
                                                  {PlanElementKind::Arc, 90, -1.0 / 250, -1.0 / 250},
                                                  {PlanElementKind::Clothoid, 60, -1.0 / 250, 0},
                                                  {PlanElementKind::Line, 50, 0, 0}});
  road.Alignment = PlanAlignment(elements);
  road.DesignProfile = {{1000, 100, 0}, {1150, 103, 8000}, {1340, 99.5, 0}};
  road.GroundProfile = {{1000, 99, 0}, {1100, 101.5, 0}};
  ExchangeSection a;
  a.Station = 1000;
  a.Ground = {{{-12, 99.5}, {-3, 99.2}}, {{2, 98.9}, {15.5, 98}}};  // a gap between -3 and 2
  a.Design = {{-6, 99.4}, {0, 100}, {6, 99.4}};
  a.HasAreas = true;
  a.AreaCut = 1.25;
  a.AreaFill = 7.5;
  ExchangeSection b = a;
  b.Station = 1020;
  b.AreaCut = 0;
  b.AreaFill = 10;
  road.Sections = {a, b};
  FillVolumes(road.Sections);
  return road;
}

RoadExchange ReadText(const std::string& text) {
  std::istringstream in(text);
  return ReadLandXml(in);
}

TEST(LandXml, WrittenRoadReadsBackTheSame) {
  const RoadExchange road = SampleRoad();
  EXPECT_DOUBLE_EQ(road.Sections[1].VolumeFill, (7.5 + 10) / 2 * 20);
  const std::string text = LandXmlText(road, {"2026-12-08", "09:30:00"});
  EXPECT_NE(text.find("date=\"2026-12-08\" time=\"09:30:00\" version=\"1.2\""), std::string::npos);
  EXPECT_NE(text.find("<Spiral length=\"60\" radiusEnd=\"250\" radiusStart=\"INF\" rot=\"ccw\" spiType=\"clothoid\""),
            std::string::npos);
  const RoadExchange back = ReadText(text);
  EXPECT_EQ(back.Name, road.Name);
  ASSERT_EQ(back.Alignment.Elements().size(), 5u);
  for (double s = 990; s <= 1350; s += 2.5) {
    const PlanPose want = road.Alignment.PoseAt(s), got = back.Alignment.PoseAt(s);
    ASSERT_NEAR(got.Point.Northing, want.Point.Northing, 1e-6) << s;
    ASSERT_NEAR(got.Point.Easting, want.Point.Easting, 1e-6) << s;
  }
  ASSERT_EQ(back.DesignProfile.size(), 3u);
  EXPECT_DOUBLE_EQ(back.DesignProfile[1].Radius, 8000);
  EXPECT_EQ(back.GroundProfile.size(), 2u);
  ASSERT_EQ(back.Sections.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back.Sections[i].Ground, road.Sections[i].Ground);
    EXPECT_EQ(back.Sections[i].Design, road.Sections[i].Design);
    EXPECT_DOUBLE_EQ(back.Sections[i].AreaFill, road.Sections[i].AreaFill);
    EXPECT_DOUBLE_EQ(back.Sections[i].VolumeFill, road.Sections[i].VolumeFill);
  }
  // The stated lengths keep the stations of every element.
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_DOUBLE_EQ(back.Alignment.Elements()[i].EndStation, road.Alignment.Elements()[i].EndStation);
}

TEST(LandXml, ReadsAnotherWritersStyle) {
  const RoadExchange road = ReadText(R"(<?xml version="1.0" encoding="utf-8"?>
<!-- written by another program -->
<lx:LandXML xmlns:lx="http://www.landxml.org/schema/LandXML-1.2" version="1.2" date="2026-01-02" time="03:04:05">
  <lx:Alignments>
    <lx:Alignment name="Main" length="200" staStart="0">
      <lx:CrossSects>
        <lx:CrossSect sta="120" areaCut="2.5" areaFill="0">
          <lx:CrossSectSurf name="EG">
            <lx:PntList2D>  -10 50.5  -2 50.1 </lx:PntList2D>
            <!-- a gap in the ground line -->
            <lx:PntList2D>3 50.0
              9 49.5</lx:PntList2D>
          </lx:CrossSectSurf>
        </lx:CrossSect>
        <lx:CrossSect sta="100"><lx:CrossSectSurf name="EG"><lx:PntList2D>-5 50 5 50</lx:PntList2D></lx:CrossSectSurf></lx:CrossSect>
      </lx:CrossSects>
      <lx:Profile>
        <lx:ProfAlign name="FG">
          <lx:PVI>0 50</lx:PVI><lx:CircCurve length="40" radius="2000">100 52</lx:CircCurve><lx:PVI>200 50</lx:PVI>
        </lx:ProfAlign>
      </lx:Profile>
      <lx:StaEquation staInternal="150" staAhead="1000" staBack="150"/>
      <lx:CoordGeom>
        <lx:Curve rot="cw"><lx:Start>0 0</lx:Start><lx:Center>0 100</lx:Center><lx:End>100 100</lx:End></lx:Curve>
        <lx:Line><lx:Start>100 100</lx:Start><lx:End>100 150</lx:End></lx:Line>
      </lx:CoordGeom>
    </lx:Alignment>
  </lx:Alignments>
  <lx:Units><lx:Metric linearUnit="meter" areaUnit="squareMeter" volumeUnit="cubicMeter" temperatureUnit="celsius" pressureUnit="HPA"/></lx:Units>
</lx:LandXML>)");
  EXPECT_EQ(road.Name, "Main");
  ASSERT_EQ(road.Sections.size(), 2u);
  EXPECT_EQ(road.Sections[0].Station, 100);  // sorted
  ASSERT_EQ(road.Sections[1].Ground.size(), 2u);
  EXPECT_EQ(road.Sections[1].Ground[1], (std::vector<SectionPoint>{{3, 50}, {9, 49.5}}));
  EXPECT_TRUE(road.Sections[1].HasAreas);
  EXPECT_EQ(road.Sections[1].AreaCut, 2.5);
  EXPECT_EQ(DisplayedStation(road.Equations, 160), 1010);
  EXPECT_EQ(DisplayedStation(road.Equations, 120), 120);
  // A quarter circle to the right from heading north, its centre east of the start.
  const double quarter = 50 * std::numbers::pi;
  ASSERT_EQ(road.Alignment.Elements().size(), 2u);
  EXPECT_NEAR(road.Alignment.Elements()[0].Length, quarter, 1e-9);
  const PlanPose end = road.Alignment.PoseAt(quarter);
  EXPECT_NEAR(end.Point.Northing, 100, 1e-9);
  EXPECT_NEAR(end.Point.Easting, 100, 1e-9);
  EXPECT_NEAR(road.Alignment.PoseAt(quarter + 20).Point.Easting, 120, 1e-9);
  // A circular vertical curve of 40 m over a grade change of 4 %: R 1000 (its radius attribute
  // is the other writer's; the length governs).
  ASSERT_EQ(road.DesignProfile.size(), 3u);
  EXPECT_DOUBLE_EQ(road.DesignProfile[1].Radius, 1000);
}

TEST(LandXml, RefusesWhatItCannotReadWithOneLine) {
  const std::string head = R"(<LandXML version="1.2" date="2026-01-02" time="03:04:05"><Alignments>)";
  const std::string geometry = "<CoordGeom><Line><Start>0 0</Start><End>0 10</End></Line></CoordGeom>";
  const std::pair<std::string, const char*> cases[] = {
      {"<Survey/>", "root element is <Survey>"},
      {head + "</Alignments></LandXML>", "no alignment"},
      {head + "<Alignment length=\"10\" staStart=\"0\">" + geometry + "</Alignment></Alignments></LandXML>",
       "name is missing"},
      {head + "<Alignment name=\"a\" length=\"10\">" + geometry + "</Alignment></Alignments></LandXML>",
       "staStart is missing"},
      {head + "<Alignment name=\"a\" length=\"10\" staStart=\"zero\">" + geometry + "</Alignment></Alignments></LandXML>",
       "staStart=\"zero\" is not a number"},
      {head + "<Alignment name=\"a\" length=\"10\" staStart=\"INF\">" + geometry + "</Alignment></Alignments></LandXML>",
       "staStart=\"INF\" is not a number"},
      {head + "<Alignment name=\"a\" length=\"10\" staStart=\"0\"><CoordGeom><Line><Start>north east</Start>"
              "<End>0 10</End></Line></CoordGeom></Alignment></Alignments></LandXML>",
       "\"north\" is not a number"},
      {head + "<Alignment name=\"a\" length=\"10\" staStart=\"0\">" + geometry +
           "<CrossSects><CrossSect sta=\"5\"><CrossSectSurf name=\"g\"><PntList2D>1 2 3</PntList2D></CrossSectSurf>"
           "</CrossSect></CrossSects></Alignment></Alignments></LandXML>",
       "odd count"},
      {head + "<Alignment name=\"a\" length=\"10\" staStart=\"0\"><CoordGeom><Spiral length=\"10\" radiusStart=\"INF\" "
              "radiusEnd=\"100\" rot=\"cw\" spiType=\"bloss\"><Start>0 0</Start><PI>0 5</PI><End>0 10</End></Spiral>"
              "</CoordGeom></Alignment></Alignments></LandXML>",
       "only clothoids"},
  };
  for (const auto& [text, why] : cases) {
    try {
      ReadText(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ExchangeError& e) {
      EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace kestrel
