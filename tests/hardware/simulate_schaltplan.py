#!/usr/bin/env python3
"""Runs the wiring diagrams' netlists through ngspice at every level a real serial port gives and
checks that the relays switch, the port is not overloaded, no part sees more than its rating, the
free-wheeling diodes clamp the switch-off spike and the stop button is read right.

Usage: simulate_schaltplan.py <hardware folder>. Exit 0 all checks hold, 1 a check failed,
77 ngspice is missing (the test is then skipped)."""
import re
import subprocess
import sys
import tempfile
from collections import namedtuple
from pathlib import Path

from netlist import read_circuit, run_checks

LEVELS = (-12.0, -5.0, 5.0, 12.0)  # RS-232 output: -5...-12 V off, +5...+12 V on
STIFF_DRIVER = 300.0  # a driver's lowest output resistance: the most current it can give
SHORT_CIRCUIT = 0.010  # a MAX232-class driver gives about 10 mA into a short
LINE_MAX = 0.010  # the most an input may draw from a port line
SUPPLY = 12.0

# Datasheet limits of the parts the netlists use.
COIL_OHMS = 291.0  # Finder 40.52.9.012: 12 V DC coil
MUST_OPERATE = 8.4 / COIL_OHMS
MUST_RELEASE = 1.2 / COIL_OHMS
DIODE = {  # model: (reverse voltage, forward current)
    "1N4148": (75.0, 0.150),
    "1N4007": (1000.0, 1.0),
    "BAT85": (30.0, 0.200),
    "LED_ROT": (5.0, 0.020),
    "LED_PC817": (6.0, 0.050),
}
# Transistors: collector-emitter voltage, and the reverse voltage of the junction exposed to it
# (emitter-base of the BC337; emitter-collector of the optocoupler's phototransistor).
NPN = {"BC337-40": (45.0, "emitter-base", 5.0), "FT_PC817": (35.0, "emitter-collector", 6.0)}
VCE_SAT_MAX = 0.3
LED_VISIBLE = 0.001
RING_ON = 3.0  # RS-232 receiver: ON above +3 V
RING_OFF_MAX = 0.8  # lowest switching threshold of a MAX232-class receiver: below it reads OFF
RING_INPUT = (3000.0, 7000.0)
# source: the port driver's voltage source in the netlist
Output = namedtuple("Output", "caption param source relay transistor led")
CIRCUITS = {
    "schaltplan-low.cir": [Output("Pin 4 (DTR)", "U_DTR", "VDTR", "K1", "Q1", None)],
    "schaltplan.cir": [
        Output("Pin 3 (TXD)", "U_TXD", "VTXD", "K1", "Q1", "LED1"),
        Output("Pin 4 (DTR)", "U_DTR", "VDTR", "K2", "Q2", "LED2"),
        Output("Pin 7 (RTS)", "U_RTS", "VRTS", "K3", "Q3", "LED3"),
    ],
}
HAS_STOP_BUTTON = {"schaltplan.cir"}


def driver_resistances(level):
    """The weakest driver (its short-circuit current at this level) and the stiffest."""
    return (abs(level) / SHORT_CIRCUIT, STIFF_DRIVER)


def spice(deck: str) -> dict:
    with tempfile.NamedTemporaryFile("w", suffix=".cir", delete=False) as f:
        f.write(deck)
    run = subprocess.run(["ngspice", "-b", f.name], capture_output=True, text=True, timeout=120)
    Path(f.name).unlink()
    values = {m.group(1).lower(): float(m.group(2))
              for m in re.finditer(r"(?m)^\s*(\S+)\s*=\s*([-+0-9.eE]+)\s*$", run.stdout)}
    if not values or re.search(r"(?m)^Error", run.stdout + run.stderr):
        sys.exit(f"ngspice failed:\n{run.stdout}\n{run.stderr}")
    return values


def volt(values, node):
    return 0.0 if node == "0" else values[node.lower()]


class Circuit:
    def __init__(self, path: Path):
        self.text = re.sub(r"(?m)^\.(op|end)\s*$", "", path.read_text(encoding="utf-8"))
        self.elements = {e.name: e for e in read_circuit(path)}
        self.probes, self.ratings = [], []
        for e in self.elements.values():
            if e.name[0] == "D":
                self.diode(e.designator, e.value.upper(), e.nodes[0], e.nodes[1], f"@{e.name.lower()}[id]")
            elif e.name[0] == "Q":
                self.transistor(e.designator, e.value.upper(), *e.nodes)
                self.probes += [f"@{e.name.lower()}[ic]", f"@{e.name.lower()}[ib]"]
            elif e.value.upper() == "PC817":  # the optocoupler's inner parts on the instance's nodes
                a, k, c, em = e.nodes
                self.diode(f"{e.designator} LED", "LED_PC817", a, k, f"@d.{e.name.lower()}.dled[id]")
                self.transistor(f"{e.designator} transistor", "FT_PC817", c, f"{e.name}.C_B", em)

    def diode(self, label, model, anode, cathode, current):
        reverse, forward = DIODE[model]
        self.probes.append(current)
        self.ratings += [((label, "reverse voltage [V]"), reverse, lambda v: volt(v, cathode) - volt(v, anode)),
                         ((label, "forward current [A]"), forward, lambda v: v[current])]

    def transistor(self, label, model, c, b, e):
        vceo, junction, reverse = NPN[model]
        back = b if junction == "emitter-base" else c
        self.ratings += [((label, "collector-emitter voltage [V]"), vceo, lambda v: volt(v, c) - volt(v, e)),
                         ((label, f"{junction} reverse voltage [V]"), reverse, lambda v: volt(v, e) - volt(v, back))]

    def operating_point(self, params):
        lines = "\n".join(f"alterparam {k}={v}" for k, v in params.items())
        return spice(f"{self.text}\n\n.control\n{lines}\nreset\nop\nprint all\nprint {' '.join(self.probes)}\n.endc\n.end\n")


class Worst:
    """The largest stress each part saw over all runs, checked against its rating at the end."""

    def __init__(self, circuit):
        self.circuit, self.seen = circuit, {}

    def note(self, values, where):
        for key, limit, reading in self.circuit.ratings:
            value = reading(values)
            if key not in self.seen or value > self.seen[key][0]:
                self.seen[key] = (value, limit, where)

    def report(self, report, name):
        for (part, what), (value, limit, where) in sorted(self.seen.items()):
            report.check(value <= limit, f"{name} {part}: {what} {value:.3g} <= {limit:g} ({where})")


def check_outputs(circuit, name, report, worst):
    for out in CIRCUITS[name]:
        q = circuit.elements[out.transistor]
        for level in LEVELS:
            for r_out in driver_resistances(level):
                v = circuit.operating_point({p.param: -12 for p in CIRCUITS[name]} | {out.param: level, "R_AUS": r_out})
                where = f"{out.caption} {level:+g} V/{r_out:g} ohm"
                check = lambda ok, text: report.check(ok, f"{name} {where}: {text}")
                coil = v[f"l.x{out.relay.lower()}.lsp#branch"]
                line = abs(v[f"{out.source.lower()}#branch"])
                check(line <= LINE_MAX, f"line current {line*1e3:.2f} mA <= {LINE_MAX*1e3:g} mA")
                if level > 0:
                    vce = volt(v, q.nodes[0]) - volt(v, q.nodes[2])
                    check(coil >= MUST_OPERATE, f"{out.relay} coil {coil*1e3:.2f} mA >= must-operate {MUST_OPERATE*1e3:.2f} mA")
                    check(vce <= VCE_SAT_MAX, f"{out.transistor} saturated, Vce {vce:.3f} V <= {VCE_SAT_MAX} V (Ib {v[f'@{q.name.lower()}[ib]']*1e3:.3f} mA, Ic {v[f'@{q.name.lower()}[ic]']*1e3:.2f} mA)")
                    if out.led:
                        i_led = v[f"@d{out.led.lower()}[id]"]
                        check(i_led >= LED_VISIBLE, f"{out.led} lights, {i_led*1e3:.2f} mA >= {LED_VISIBLE*1e3:g} mA (rating {DIODE['LED_ROT'][1]*1e3:g} mA checked below)")
                else:
                    check(abs(coil) <= MUST_RELEASE, f"{out.relay} coil {abs(coil)*1e3:.3f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
                worst.note(v, where)


def switch_off_spike(circuit, out, level, r_out, without=None):
    """Peak collector voltage after the line falls from `level` to -12 V, and the coil current
    30 ms later. `without` drops one element (the counter-check without free-wheeling diode)."""
    text = re.sub(rf"(?m)^{out.source} (\S+) (\S+) DC \{{{out.param}\}}",
                  rf"{out.source} \1 \2 PWL(0 {level} 10m {level} 10.001m -12 40m -12)", circuit.text)
    if without:
        text = re.sub(rf"(?m)^{without} .*$", "", text)
    c, e = (n.lower() for n in circuit.elements[out.transistor].nodes[::2])
    emitter = "0" if e == "0" else f"v({e})"
    v = spice(f"{text}\n.control\nalterparam R_AUS={r_out}\nreset\ntran 5u 40m\nlet vce = v({c}) - {emitter}\n"
              f"meas tran spike MAX vce from=10m to=40m\nmeas tran rest FIND i(l.x{out.relay.lower()}.lsp) AT=40m\n"
              f"print spike rest\n.endc\n.end\n")
    return v["spike"], abs(v["rest"])


def check_switch_off(circuit, name, report):
    limit = SUPPLY + 1.5
    for out in CIRCUITS[name]:
        diode = next(e for e in circuit.elements.values()
                     if e.name[0] == "D" and e.value.upper() == "1N4007" and circuit.elements[out.transistor].nodes[0] in e.nodes)
        for level, r_out in ((5.0, 5.0 / SHORT_CIRCUIT), (12.0, STIFF_DRIVER)):
            where = f"{name} {out.caption} {level:+g} V -> -12 V"
            spike, rest = switch_off_spike(circuit, out, level, r_out)
            report.check(spike <= limit, f"{where}: switch-off spike at {out.transistor} {spike:.2f} V <= {limit:g} V (clamped by {diode.designator})")
            report.check(rest <= MUST_RELEASE, f"{where}: {out.relay} coil 30 ms later {rest*1e3:.3f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
        spike, _ = switch_off_spike(circuit, out, 12.0, STIFF_DRIVER, without=diode.name)
        report.check(spike > limit, f"{name} counter-check without {diode.designator}: spike {spike:.0f} V > {limit:g} V, so the check above sees a missing diode")


def check_stop_button(circuit, name, report, worst):
    for out in CIRCUITS[name]:
        for level in (5.0, 12.0):
            for r_out in driver_resistances(level):
                for r_ring in RING_INPUT:
                    base = {p.param: -12 for p in CIRCUITS[name]} | {out.param: level, "R_AUS": r_out, "R_RING": r_ring}
                    where = f"source {out.caption} {level:+g} V/{r_out:g} ohm, Ring input {r_ring/1e3:g} kohm"
                    pressed = circuit.operating_point(base | {"S1_GEDRUECKT": 1})
                    ring_off = circuit.operating_point(base | {"S1_GEDRUECKT": 0})["x1_9"]
                    ring_on, line = pressed["x1_9"], abs(pressed[f"{out.source.lower()}#branch"])
                    report.check(ring_on > RING_ON, f"{name} S1 pressed, {where}: Pin 9 {ring_on:.2f} V > +{RING_ON:g} V (ON)")
                    report.check(ring_off <= RING_OFF_MAX, f"{name} S1 released, {where}: Pin 9 {ring_off:.3f} V <= +{RING_OFF_MAX} V (OFF)")
                    report.check(line <= LINE_MAX, f"{name} S1 pressed, {where}: line current {line*1e3:.2f} mA <= {LINE_MAX*1e3:g} mA")
                    worst.note(pressed, f"S1 pressed, {where}")


def check_folder(folder, report):
    for name in CIRCUITS:
        circuit = Circuit(folder / name)
        worst = Worst(circuit)
        check_outputs(circuit, name, report, worst)
        check_switch_off(circuit, name, report)
        if name in HAS_STOP_BUTTON:
            check_stop_button(circuit, name, report, worst)
        worst.report(report, name)


if __name__ == "__main__":
    sys.exit(run_checks(("ngspice",), "{} is not installed (scripts/install-deps.sh installs it)", check_folder))
