#!/usr/bin/env python3
"""Reads the wiring diagrams back from their PDFs: A4 pages, vector only, every designator, value
and pin of the drawing found as text, and the same parts as the netlist simulated beside them.

Usage: check_schaltplan_pdf.py <hardware folder>. Exit 0 all checks hold, 1 a check failed,
77 poppler-utils are missing (the test is then skipped)."""
import re
import subprocess
import sys

from netlist import read_circuit, run_checks, value_as_drawn

A4_POINTS = {(595, 842), (842, 595)}
DOCUMENTS = {  # PDF: (netlist, serial port pins the drawing must name)
    "schaltplan (low).pdf": ("schaltplan-low.cir", ["Pin 4 (DTR)", "5 GND", "4 DTR"]),
    "schaltplan.pdf": ("schaltplan.cir", ["Pin 3 (TXD)", "Pin 4 (DTR)", "Pin 7 (RTS)", "Pin 9 (Ring)",
                                          "3 TXD", "4 DTR", "7 RTS", "9 RI", "5 GND"]),
}
# Designators as drawn: resistors, capacitors, diodes, LEDs, transistors, ICs, relays, button,
# supply, connector.
DESIGNATOR = re.compile(r"(?<![A-Za-z0-9-])(?:R|C|D|LED|Q|U|K|S|G|X)\d+(?![0-9])")
CONNECTOR_PINS = re.compile(r"X\d+_\d+")


def tool(*args):
    return subprocess.run(args, capture_output=True, text=True, check=True).stdout


def expand_ranges(text):
    """'LED1--LED3' and 'LED1–LED3' in the parts list name LED2 too."""
    def spell(m):
        prefix, first, last = m.group(1), int(m.group(2)), int(m.group(3))
        return " ".join(f"{prefix}{n}" for n in range(first, last + 1))
    return re.sub(r"\b([A-Z]+)(\d+)\s*[-–]+\s*\1(\d+)\b", spell, text)


def check_document(folder, pdf_name, report):
    netlist_name, pins = DOCUMENTS[pdf_name]
    pdf = str(folder / pdf_name)
    text = " ".join(tool("pdftotext", "-layout", pdf, "-").split())
    pages = re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+)", tool("pdfinfo", "-f", "1", "-l", "99", pdf))
    sizes = {(round(float(w)), round(float(h))) for w, h in pages}
    report.check(bool(pages) and sizes <= A4_POINTS, f"{pdf_name}: {len(pages)} page(s), all A4 ({sorted(sizes)} pt)")
    images = tool("pdfimages", "-list", pdf).splitlines()[2:]
    report.check(not images, f"{pdf_name}: no raster image ({len(images)} found)")
    for pin in pins:
        report.check(pin in text, f"{pdf_name}: names '{pin}'")

    elements = read_circuit(folder / netlist_name)
    in_netlist = {e.designator for e in elements}
    connector_nodes = {n for e in elements for n in e.nodes if CONNECTOR_PINS.fullmatch(n)}
    in_netlist |= {n.split("_")[0] for n in connector_nodes}
    in_pdf = set(DESIGNATOR.findall(expand_ranges(text)))
    for e in elements:
        report.check(e.designator in in_pdf, f"{pdf_name}: designator {e.designator} of {netlist_name} drawn")
        value = value_as_drawn(e)
        report.check(value.lower() in text.lower(), f"{pdf_name}: value of {e.designator} '{value}' drawn")
    extra = sorted(in_pdf - in_netlist)
    report.check(not extra, f"{pdf_name}: every designator drawn is in {netlist_name} (not: {extra})")
    for node in sorted(connector_nodes):
        pin = node.split("_")[1]
        report.check(re.search(rf"\b{pin} [A-Z]{{2,3}}\b", text) is not None,
                     f"{pdf_name}: pin {pin} of the connector labelled")


def check_folder(folder, report):
    for pdf_name in DOCUMENTS:
        check_document(folder, pdf_name, report)


if __name__ == "__main__":
    sys.exit(run_checks(("pdftotext", "pdfinfo", "pdfimages"),
                        "{} missing (poppler-utils; scripts/install-deps.sh installs it)", check_folder))
