// Reads an IFC file with web-ifc (node) and prints, as JSON, its alignments as web-ifc evaluates
// them and how many earthworks cut and fill elements it holds. Usage:
//   NODE_PATH=<folder with node_modules> node web_ifc_alignment.js FILE.ifc
const fs = require("fs");
const WebIFC = require("web-ifc");

async function main() {
  const api = new WebIFC.IfcAPI();
  await api.Init();
  const model = api.OpenModel(new Uint8Array(fs.readFileSync(process.argv[2])));
  // Each layout comes back as a list of segments, each with its sampled points and a description.
  const curves = (segments) => (segments || []).map((c) => ({
    points: c.points.map((p) => [p.x, p.y, p.z === undefined ? 0 : p.z]),
    data: c.data,
  }));
  const alignments = api.GetAllAlignments(model).map((a) => ({
    horizontal: curves(a.horizontal),
    vertical: curves(a.vertical),
    absolute: curves(a.absolute),
  }));
  const count = (type) => api.GetLineIDsWithType(model, type).size();
  console.log(JSON.stringify({
    schema: api.GetModelSchema(model),
    alignments,
    alignmentEntities: count(WebIFC.IFCALIGNMENT),
    cuts: count(WebIFC.IFCEARTHWORKSCUT),
    fills: count(WebIFC.IFCEARTHWORKSFILL),
  }));
  api.CloseModel(model);
}

main().catch((e) => {
  console.error("web-ifc: " + (e && e.message ? e.message : String(e)));
  process.exit(1);
});
