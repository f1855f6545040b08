// A peer of the survey benchmark reads a workbook and writes it again: node bench/peers.js xlsx|exceljs IN OUT
// (the packages come from build/peers, which `scripts/setup bench` fills; NODE_PATH points there).
"use strict";

const [peer, input, output] = process.argv.slice(2);

async function main() {
  if (peer === "xlsx") {
    const XLSX = require("xlsx");
    const book = XLSX.readFile(input, { cellStyles: true });
    XLSX.writeFile(book, output, { compression: true });
  } else if (peer === "exceljs") {
    const ExcelJS = require("exceljs");
    const book = new ExcelJS.Workbook();
    await book.xlsx.readFile(input);
    await book.xlsx.writeFile(output);
  } else {
    throw new Error(`unknown peer ${peer} (xlsx or exceljs)`);
  }
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
