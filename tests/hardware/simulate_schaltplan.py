#!/usr/bin/env python3
"""Runs the wiring diagrams' netlists through ngspice at every level a real serial port and relay
supply give and checks that the relays switch, the port is not overloaded, no part sees more than
its rating, no relay follows a short pulse or the supply coming on, the free-wheeling diodes clamp
the switch-off spike, the high version keeps its separation, the stop button is read right and
every part model holds its datasheet's figures.

Usage: simulate_schaltplan.py <hardware folder>. Exit 0 all checks hold, 1 a check failed,
77 ngspice is missing (the test is then skipped)."""
import re
import subprocess
import sys
import tempfile
from collections import namedtuple
from pathlib import Path

from netlist import read_circuit, run_checks

SUPPLIES = (11.0, 12.0, 13.8)  # G1: a 12 V supply at its lowest and a 13.8 V one at its highest
# RS-232 drivers: a level behind an output resistance. +-5 V is the least a port must give, +-12 V
# a stiff classic port, +-15 V the most any driver gives (for reverse-voltage stress).
DRIVERS = ((5.0, 300.0), (5.0, 500.0), (5.0, 1000.0), (12.0, 300.0), (15.0, 300.0),
           (-5.0, 300.0), (-5.0, 500.0), (-5.0, 1000.0), (-12.0, 300.0), (-15.0, 300.0))
OFF_LEVEL = -12.0
LINE_MAX = 0.010  # the most an input may draw from a port line
VCE_SAT_MAX = 0.3
LED_VISIBLE = 0.001

# Datasheet figures the checks use, each with its source; DATASHEET below compares the netlists' models.
COIL_OHMS = 220.0  # Finder series 40 datasheet, coil table DC 12 V (0.65 W)
MUST_OPERATE = 8.8 / COIL_OHMS  # operating range (0.73...1.5) U_N
MUST_RELEASE = 1.2 / COIL_OHMS  # must drop-out voltage 0.1 U_N
OPTO_TEST_CURRENT = 1.0e-3  # H11B1: CTR >= 500 % guaranteed at I_F = 1 mA, V_CE = 5 V
OPTO_CTR_MIN = 5.0
OPTO_VCE_SAT = 1.0  # H11B1: V_CE(sat) <= 1.0 V at I_C = I_F = 1 mA
DIODE = {  # model: (reverse voltage, forward current)
    "1N4148": (75.0, 0.150),
    "1N4007": (1000.0, 1.0),
    "BAT85": (30.0, 0.200),
    "LED_ROT": (5.0, 0.020),
    "LED_H11B1": (3.0, 0.060),
}
# Transistors: collector-emitter voltage, and the reverse voltage of the junction exposed to it
# (emitter-base of the BC337; emitter-collector of the optocoupler's darlington).
NPN = {"BC337-40": (45.0, "emitter-base", 5.0), "H11B1": (25.0, "emitter-collector", 7.0)}
# The filter: a line pulse shorter than IGNORED is ignored; a steady line pulls in within PULL_IN.
IGNORED, PULL_IN = 0.3, 1.0
CAP_TOLERANCE = 0.2  # electrolytic capacitor +-20 %
G1_MARGIN = 1.25
G1_RATING = {"schaltplan-low.cir": 0.150, "schaltplan.cir": 0.300}  # as the parts lists ask
ISOLATION_TEST = 500.0  # V between the grounds: the H11B1's datasheet gives its isolation resistance there
LEAKAGE_MAX = 1e-6
RING_ON = 2.4  # MAX232/MAX3232 receivers: ON at the latest above +2.4 V (TIA-232 itself: +3 V)
RING_OFF_MAX = 0.8  # lowest switching threshold of a MAX232-class receiver: below it reads OFF
RING_INPUT = (3000.0, 7000.0)
# A port that meets the standard (MAX3232: >= 5 V into 3 kOhm) and the weakest common adapters.
STOP_SOURCES = ((5.5, 300.0), (5.0, 500.0), (5.0, 1000.0), (12.0, 300.0))

# (part, figure, datasheet value, source, how the netlist's value is read)
DATASHEET = [
    ("Finder 40.52.9.012", "coil resistance [ohm]", 220.0, "Finder series 40, coil table DC",
     lambda c: c.subckt_value("FINDER_40.52.9.012", "RSP")),
    ("BC337-40", "h_FE min", 250.0, "onsemi BC337/D, electrical characteristics",
     lambda c: c.model_param("BC337-40", "BF")),
    ("1N4148", "V_RRM [V]", 100.0, "Vishay 81857, absolute maximum ratings", lambda c: c.model_param("1N4148", "BV")),
    ("1N4007", "V_RRM [V]", 1000.0, "Vishay 88503, maximum ratings", lambda c: c.model_param("1N4007", "BV")),
    ("BAT85", "V_R [V]", 30.0, "Philips BAT85 data sheet, limiting values", lambda c: c.model_param("BAT85", "BV")),
    ("H11B1", "LED V_R [V]", 3.0, "Motorola H11B1/D, maximum ratings", lambda c: c.model_param("LED_H11B1", "BV")),
    ("H11B1", "CTR at I_F 1 mA, V_CE 5 V (min)", OPTO_CTR_MIN, "Motorola H11B1/D, coupled characteristics",
     lambda c: c.opto(OPTO_TEST_CURRENT, 5.0)[0]),
    ("H11B1", "V_CE(sat) at I_F = I_C = 1 mA (max) [V]", OPTO_VCE_SAT, "Motorola H11B1/D, coupled characteristics",
     lambda c: c.opto(OPTO_TEST_CURRENT, None)[1]),
    ("LM339/LM393", "input offset, worst case [V]", 0.005, "TI SLCS006/SLCS005, electrical characteristics",
     lambda c: c.model_param("SW_LM339" if "SW_LM339" in c.text else "SW_LM393", "VT")),
]

# source: the port driver's voltage source; transistor: the one driving the relay; opto: its coupler
Output = namedtuple("Output", "caption param source relay transistor led opto")
CIRCUITS = {
    "schaltplan-low.cir": [Output("Pin 4 (DTR)", "U_DTR", "VDTR", "K1", "Q2", None, None)],
    "schaltplan.cir": [
        Output("Pin 3 (TXD)", "U_TXD", "VTXD", "K1", "Q1", "LED1", "XU1"),
        Output("Pin 4 (DTR)", "U_DTR", "VDTR", "K2", "Q2", "LED2", "XU2"),
        Output("Pin 7 (RTS)", "U_RTS", "VRTS", "K3", "Q3", "LED3", "XU3"),
    ],
}
HAS_STOP_BUTTON = {"schaltplan.cir"}
ISOLATED = {"schaltplan.cir"}


def spice(deck: str, strict=True) -> dict:
    with tempfile.NamedTemporaryFile("w", suffix=".cir", delete=False) as f:
        f.write(deck)
    run = subprocess.run(["ngspice", "-b", f.name], capture_output=True, text=True, timeout=120)
    Path(f.name).unlink()
    values = {m.group(1).lower(): float(m.group(2))
              for m in re.finditer(r"(?m)^\s*(\S+)\s*=\s*([-+0-9.eE]+)\s*$", run.stdout)}
    if not values or (strict and re.search(r"(?m)^Error", run.stdout + run.stderr)):
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
            elif e.value.upper() == "H11B1":  # the optocoupler's inner parts on the instance's nodes
                a, k, c, em = e.nodes
                self.diode(f"{e.designator} LED", "LED_H11B1", a, k, f"@d.{e.name.lower()}.dled[id]")
                self.transistor(f"{e.designator} darlington", "H11B1", c, f"{e.name}.C_B", em)

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

    def variant(self, supply=12.0, cap_scale=1.0, sources=None):
        """The netlist with G1 at `supply`, every capacitor scaled and port sources replaced."""
        text = re.sub(r"(?m)^(VG1 \S+ \S+) DC \S+", rf"\1 DC {supply}", self.text)
        text = re.sub(r"(?m)^(C\d+ \S+ \S+) ([\d.]+)([unp])$",
                      lambda m: f"{m.group(1)} {float(m.group(2)) * cap_scale:g}{m.group(3)}", text)
        for source, value in (sources or {}).items():
            text = re.sub(rf"(?m)^({source} \S+ \S+) DC \S+", rf"\1 {value}", text)
        return text

    def operating_point(self, params, supply=12.0, text=None):
        lines = "\n".join(f"alterparam {k}={v}" for k, v in params.items())
        return spice(f"{text or self.variant(supply)}\n\n.control\n{lines}\nreset\nop\nprint all\n"
                     f"print {' '.join(self.probes)}\n.endc\n.end\n")

    def models(self):
        return self.text[self.text.index("* ---- Modelle"):self.text.index("* ---- Umgebung")]

    def model_param(self, model, param):
        flat = re.sub(r"\n\+", " ", self.text)
        m = re.search(rf"(?mi)^\.model\s+{re.escape(model)}\s+\w+\((.*?)\)", flat)
        p = m and re.search(rf"(?i)\b{param}=([-\d.e]+)([a-z]*)", m.group(1))
        return p and float(p.group(1)) * {"": 1, "m": 1e-3, "u": 1e-6, "n": 1e-9}[p.group(2).lower()]

    def subckt_value(self, subckt, element):
        m = re.search(rf"(?ms)^\.subckt {re.escape(subckt)} .*?^{element} \S+ \S+ (\S+)", self.text)
        return m and float(m.group(1))

    def opto(self, i_f, vce):
        """The optocoupler model's CTR at (i_f, vce), or its V_CE with I_C = I_F when vce is None."""
        if "H11B1" not in self.text:
            return None, None
        load = f"VC C 0 DC {vce}" if vce else f"ICE 0 C DC {i_f}\nVC D 0 DC 0"
        v = spice(f"opto\n{self.models()}\nIF 0 A DC {i_f}\nXU A 0 C 0 H11B1\n{load}\n"
                  f".control\nop\nprint i(vc) v(c)\n.endc\n.end\n")
        return -v["i(vc)"] / i_f, v["v(c)"]


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


def check_datasheet(circuit, name, report):
    for part, figure, expected, source, read in DATASHEET:
        used = read(circuit)
        if used is None:
            continue
        # a guaranteed maximum may be bettered by the model; every other figure must be the datasheet's
        ok = used <= expected if "(max)" in figure else abs(used - expected) <= 0.02 * abs(expected)
        report.check(ok, f"{name} datasheet {part} {figure}: netlist {used:.4g}, datasheet {expected:g} ({source})")


def check_outputs(circuit, name, report, worst):
    outs = CIRCUITS[name]
    for out, supply, (level, r_out) in ((o, s, d) for o in outs for s in SUPPLIES for d in DRIVERS):
        q = circuit.elements[out.transistor]
        v = circuit.operating_point({p.param: OFF_LEVEL for p in outs} | {out.param: level, "R_AUS": r_out}, supply)
        where = f"{out.caption} {level:+g} V/{r_out:g} ohm, G1 {supply:g} V"
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
                check(i_led >= LED_VISIBLE, f"{out.led} lights, {i_led*1e3:.2f} mA >= {LED_VISIBLE*1e3:g} mA")
            if out.opto:
                u = circuit.elements[out.opto]
                i_f, vce_opto = v[f"@d.{out.opto.lower()}.dled[id]"], volt(v, u.nodes[2]) - volt(v, u.nodes[3])
                check(i_f >= OPTO_TEST_CURRENT, f"{u.designator} LED {i_f*1e3:.2f} mA >= {OPTO_TEST_CURRENT*1e3:g} mA, where CTR >= {OPTO_CTR_MIN*100:g} % is guaranteed")
                check(vce_opto <= OPTO_VCE_SAT, f"{u.designator} at CTR {OPTO_CTR_MIN*100:g} % pulls the filter down, Vce {vce_opto:.2f} V <= {OPTO_VCE_SAT} V")
        else:
            check(abs(coil) <= MUST_RELEASE, f"{out.relay} coil {abs(coil)*1e3:.3f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
        worst.note(v, where)


def check_supply(circuit, name, report):
    outs = CIRCUITS[name]
    v = circuit.operating_point({p.param: 12.0 for p in outs} | {"R_AUS": 300.0}, max(SUPPLIES))
    drawn, rating = abs(v["vg1#branch"]), G1_RATING[name]
    report.check(drawn * G1_MARGIN <= rating, f"{name} all outputs on, G1 {max(SUPPLIES):g} V: draws {drawn*1e3:.0f} mA, x{G1_MARGIN} <= G1 rating {rating*1e3:.0f} mA")


def pulse_train(level, blip):
    """Off, five 50 ms pulses, one pulse of `blip` s at 1 s, steady on from 2 s to 3 s, off."""
    edges = [(0.1 + 0.15 * n, 0.05) for n in range(5)] + [(1.0, blip), (2.0, 1.0)]
    points = [(0.0, OFF_LEVEL)]
    for start, width in edges:
        points += [(start, OFF_LEVEL), (start + 1e-3, level), (start + width, level), (start + width + 1e-3, OFF_LEVEL)]
    return "PWL(" + " ".join(f"{t:.4f} {u:g}" for t, u in points) + ")"


# (corner, capacitor scale, G1, driver): the filter at its quickest and at its slowest
CORNERS = (("C -20 %, G1 13.8 V, +12 V/300 ohm", 1 - CAP_TOLERANCE, 13.8, (12.0, 300.0)),
           ("C +20 %, G1 11 V, +5 V/1000 ohm", 1 + CAP_TOLERANCE, 11.0, (5.0, 1000.0)),
           ("nominal, G1 12 V, +5 V/500 ohm", 1.0, 12.0, (5.0, 500.0)))


def check_transients(circuit, name, report):
    outs = CIRCUITS[name]
    blip = IGNORED - 0.02
    for out, (corner, scale, supply, (level, r_out)) in ((o, c) for o in outs for c in CORNERS):
        text = circuit.variant(supply, scale, {out.source: pulse_train(level, blip)})
        others = "\n".join(f"alterparam {p.param}={OFF_LEVEL}" for p in outs if p != out)
        coil = f"i(l.x{out.relay.lower()}.lsp)"
        v = spice(f"{text}\n.control\n{others}\nalterparam R_AUS={r_out}\nreset\ntran 1m 3.3 0 2m\n"
                  f"meas tran train MAX {coil} from=0 to=0.99\nmeas tran blip MAX {coil} from=0.99 to=1.99\n"
                  f"meas tran pull WHEN {coil}={MUST_OPERATE} RISE=1 from=2.0\n"
                  f"meas tran held FIND {coil} AT=2.99\nmeas tran released FIND {coil} AT=3.3\n"
                  f"print train blip held released\n.endc\n.end\n", strict=False)
        where = f"{name} {out.caption} {corner}"
        delay = v.get("pull", float("inf")) - 2.0
        report.check(v["train"] <= MUST_RELEASE, f"{where}: five 50 ms pulses, {out.relay} stays off, coil at most {v['train']*1e3:.2f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
        report.check(v["blip"] <= MUST_RELEASE, f"{where}: one {blip:g} s pulse, {out.relay} stays off, coil at most {v['blip']*1e3:.2f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
        report.check(delay <= PULL_IN and v["held"] >= MUST_OPERATE, f"{where}: steady on, {out.relay} pulls in after {delay:.3f} s <= {PULL_IN:g} s, then {v['held']*1e3:.1f} mA >= must-operate")
        report.check(abs(v["released"]) <= MUST_RELEASE, f"{where}: line off, {out.relay} released 0.3 s later ({abs(v['released'])*1e3:.3f} mA)")


def check_power_up(circuit, name, report):
    """G1 switched on with the port's lines off (a power cut ends): no relay may pull in."""
    outs = CIRCUITS[name]
    for supply in (SUPPLIES[0], SUPPLIES[-1]):
        text = re.sub(r"(?m)^(VG1 \S+ \S+) DC \S+", rf"\1 PWL(0 0 1m {supply})", circuit.variant())
        params = "\n".join(f"alterparam {p.param}={OFF_LEVEL}" for p in outs)
        coils = " ".join(f"meas tran {p.relay} MAX i(l.x{p.relay.lower()}.lsp) from=0 to=0.5\n" for p in outs)
        v = spice(f"{text}\n.control\n{params}\nreset\ntran 0.1m 0.5 0 0.5m\n{coils}"
                  f"print {' '.join(p.relay for p in outs)}\n.endc\n.end\n")
        for out in outs:
            peak = v[out.relay.lower()]
            report.check(peak <= MUST_RELEASE, f"{name} G1 switched on to {supply:g} V, lines off: {out.relay} stays off, coil at most {peak*1e3:.2f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")


def check_isolation(circuit, name, report):
    outs = CIRCUITS[name]
    for state, level in (("lines off", OFF_LEVEL), ("lines on", 12.0)):
        for sign in (1, -1):
            text = re.sub(r"(?m)^VISO (\S+) (\S+) DC \S+", rf"VISO \1 \2 DC {sign * ISOLATION_TEST}", circuit.variant())
            v = circuit.operating_point({p.param: level for p in outs} | {"R_AUS": 300.0}, text=text)
            leak = abs(v["viso#branch"])
            report.check(leak < LEAKAGE_MAX, f"{name} separation, {state}, {sign * ISOLATION_TEST:+g} V between the grounds: leakage {leak*1e9:.3g} nA < {LEAKAGE_MAX*1e6:g} uA")


def switch_off_spike(circuit, out, level, r_out, without=None):
    """Peak collector voltage after the line falls from `level` to -12 V (the filter lets the relay
    go about 0.1 s later), and the coil current at 0.3 s. `without` drops one element."""
    text = circuit.variant(sources={out.source: f"PWL(0 {level} 10m {level} 10.01m -12 300m -12)"})
    if without:
        text = re.sub(rf"(?m)^{without} .*$", "", text)
    c, e = (n.lower() for n in circuit.elements[out.transistor].nodes[::2])
    emitter = "0" if e == "0" else f"v({e})"
    v = spice(f"{text}\n.control\nalterparam R_AUS={r_out}\nreset\ntran 10u 300m\nlet vce = v({c}) - {emitter}\n"
              f"meas tran spike MAX vce from=10m to=300m\nmeas tran rest FIND i(l.x{out.relay.lower()}.lsp) AT=300m\n"
              f"print spike rest\n.endc\n.end\n")
    return v["spike"], abs(v["rest"])


def check_switch_off(circuit, name, report):
    limit = max(SUPPLIES) + 1.5
    for out in CIRCUITS[name]:
        diode = next(e for e in circuit.elements.values()
                     if e.name[0] == "D" and e.value.upper() == "1N4007" and circuit.elements[out.transistor].nodes[0] in e.nodes)
        for level, r_out in ((5.0, 1000.0), (12.0, 300.0)):
            where = f"{name} {out.caption} {level:+g} V -> -12 V"
            spike, rest = switch_off_spike(circuit, out, level, r_out)
            report.check(spike <= limit, f"{where}: switch-off spike at {out.transistor} {spike:.2f} V <= {limit:g} V (clamped by {diode.designator})")
            report.check(rest <= MUST_RELEASE, f"{where}: {out.relay} coil 0.3 s later {rest*1e3:.3f} mA <= must-release {MUST_RELEASE*1e3:.2f} mA")
        spike, _ = switch_off_spike(circuit, out, 12.0, 300.0, without=diode.name)
        report.check(spike > limit, f"{name} counter-check without {diode.designator}: spike {spike:.0f} V > {limit:g} V, so the check above sees a missing diode")


def check_stop_button(circuit, name, report, worst):
    outs = CIRCUITS[name]
    for out, (level, r_out), r_ring in ((o, s, r) for o in outs for s in STOP_SOURCES for r in RING_INPUT):
        base = {p.param: OFF_LEVEL for p in outs} | {out.param: level, "R_AUS": r_out, "R_RING": r_ring}
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
        check_datasheet(circuit, name, report)
        check_outputs(circuit, name, report, worst)
        check_supply(circuit, name, report)
        check_transients(circuit, name, report)
        check_power_up(circuit, name, report)
        check_switch_off(circuit, name, report)
        if name in ISOLATED:
            check_isolation(circuit, name, report)
        if name in HAS_STOP_BUTTON:
            check_stop_button(circuit, name, report, worst)
        worst.report(report, name)


if __name__ == "__main__":
    sys.exit(run_checks(("ngspice",), "{} is not installed (scripts/install-deps.sh installs it)", check_folder))
