"""Reads the wiring diagrams' SPICE netlists: the circuit part (what the drawing shows) apart from
the simulator's surroundings (port drivers, receiver, reference points); and the checks' report."""
import re
import shutil
import sys
from dataclasses import dataclass
from pathlib import Path

SKIPPED = 77


@dataclass
class Element:
    name: str  # as written in the netlist, e.g. XK1, DLED1, VG1
    nodes: list
    value: str  # resistance, model or subcircuit name

    @property
    def designator(self):
        """The name on the drawing: XK1 -> K1, DLED1 -> LED1, VG1 -> G1, XU4A (gate A of U4) -> U4."""
        m = re.fullmatch(r"[XDV]((?:K|U|LED|G)\d+)[A-D]?", self.name.upper())
        return m.group(1) if m else self.name.upper()


NODE_COUNT = {"R": 2, "C": 2, "D": 2, "Q": 3, "V": 2, "S": 4}


def read_circuit(path: Path):
    """The elements between '---- Schaltung ----' and the next section; subcircuits take all
    tokens but the last as nodes."""
    elements, inside = [], False
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.startswith("* ----"):
            inside = "Schaltung" in line
            continue
        if not inside or not line.strip() or line.startswith(("*", ".", "+")):
            continue
        tokens = line.split()
        kind = tokens[0][0].upper()
        count = len(tokens) - 2 if kind == "X" else NODE_COUNT[kind]
        nodes = [n.upper() for n in tokens[1 : 1 + count]]
        value = " ".join(tokens[1 + count :])
        elements.append(Element(tokens[0].upper(), nodes, value))
    return elements


def value_as_drawn(element: Element) -> str:
    """How the drawing writes an element's value: 2.2k -> '2,2 kΩ', 1Meg -> '1 MΩ', 10u -> '10 µF',
    DC 12 -> '12 V', model names with blanks for underscores."""
    kind = element.name[0]
    if kind in "RC":
        m = re.fullmatch(r"([\d.]+)(k|meg|u|n|)", element.value, re.IGNORECASE)
        prefix = {"": "", "k": "k", "meg": "M", "u": "µ", "n": "n"}[m.group(2).lower()]
        return f"{m.group(1).replace('.', ',')} {prefix}{'Ω' if kind == 'R' else 'F'}"
    if kind == "V":
        return element.value.split()[-1] + " V"
    if kind == "S":
        return element.value.split()[-1]
    return element.value.replace("_", " ")


class Report:
    def __init__(self):
        self.failures = 0

    def check(self, ok, text):
        print(("ok    " if ok else "FAIL  ") + text)
        self.failures += 0 if ok else 1


def run_checks(tools, missing_text, check_folder):
    """Runs check_folder(folder, report) on the folder argv[1] names. Exit 0 all checks hold,
    1 a check failed, SKIPPED when a tool is missing (missing_text names them)."""
    missing = [t for t in tools if shutil.which(t) is None]
    if missing:
        print("SKIPPED: " + missing_text.format(", ".join(missing)))
        return SKIPPED
    report = Report()
    check_folder(Path(sys.argv[1]), report)
    print(f"{report.failures} check(s) failed" if report.failures else "all checks hold")
    return 1 if report.failures else 0
