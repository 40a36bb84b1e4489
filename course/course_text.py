"""Teaching text of the sample course: 24 modules of four topics each.

Each module has a title, a short spoken name for its narration, an
introduction, four topics and a few glossary terms (English, German,
French).  Each topic has a heading, an explanation, a formula (may be
empty), a worked example, a learning objective and a review question with
its answer.  The generator in make_course.py lays these out as pages.

Prose writes "ohms"; formulas may use the ohm sign, which the search data
leaves out because it has no Windows-1252 code.
"""


def topic(h, p, f, ex, obj, q, a):
    return {"h": h, "p": p, "f": f, "ex": ex, "obj": obj, "q": q, "a": a}


MODULES = [
    {
        "title": "DC circuits: charge, current and voltage",
        "short": "DC circuits",
        "intro": "Every electronic circuit moves electric charge around a closed loop. "
                 "This first module introduces the quantities that every later module builds on: "
                 "charge, current and voltage. You will also learn to read circuit diagrams and "
                 "to measure with a multimeter.",
        "topics": [
            topic("Electric charge and current",
                  "Electric current is the flow of charge. In a metal wire the charge is carried by "
                  "free electrons that drift slowly from atom to atom. Current is measured in amperes (A): "
                  "one ampere is a flow of one coulomb of charge per second. By convention, current flows "
                  "from the positive terminal of a source, through the circuit, back to the negative "
                  "terminal, even though the electrons themselves move the other way.",
                  "I = Q / t   (current in amperes = charge in coulombs ÷ time in seconds)",
                  "A torch battery delivers a steady 0.5 A for 20 minutes. The charge that passes is "
                  "Q = I × t = 0.5 A × 1200 s = 600 C.",
                  "define electric current and relate it to charge and time",
                  "A charge of 90 C passes a point in 30 s. What is the current?",
                  "I = Q / t = 90 C ÷ 30 s = 3 A."),
            topic("Voltage: the push behind the current",
                  "Voltage, or potential difference, is the energy given to each coulomb of charge as it "
                  "passes through a source, or the energy it gives up in a component. It is measured in "
                  "volts (V): one volt is one joule per coulomb. A voltage always exists between two "
                  "points, so a voltmeter has two leads and is connected across the component, in "
                  "parallel with it.",
                  "V = W / Q   (volts = joules ÷ coulombs)",
                  "A 9 V battery moves 2 C of charge through a circuit. The energy it delivers is "
                  "W = V × Q = 9 V × 2 C = 18 J.",
                  "explain voltage as energy per unit charge",
                  "How much energy does a 12 V source give to 5 C of charge?",
                  "W = V × Q = 12 V × 5 C = 60 J."),
            topic("The complete circuit and circuit symbols",
                  "Current flows only when there is a complete, unbroken path from one terminal of the "
                  "source back to the other. An open switch breaks the path and the current stops "
                  "everywhere in the loop at once. Circuit diagrams use standard symbols: a long and a "
                  "short line for a cell, a rectangle for a resistor, a circle with a cross for a lamp, "
                  "and a gap with a hinged line for a switch. Wires are drawn as straight lines and a "
                  "dot marks a joint.",
                  "",
                  "A lamp, a switch and a 6 V battery are wired in one loop. With the switch open the "
                  "lamp is dark and a voltmeter across the switch reads the full 6 V; with the switch "
                  "closed the lamp lights and the switch reads almost 0 V.",
                  "draw and read simple circuit diagrams",
                  "Why does a voltmeter across an open switch read the full battery voltage?",
                  "No current flows, so no voltage is lost in the lamp; the whole supply voltage "
                  "appears across the gap in the switch."),
            topic("Measuring with a multimeter",
                  "A digital multimeter measures voltage, current and resistance. To measure voltage, "
                  "select a DC volts range and place the probes across the component. To measure "
                  "current, break the circuit and insert the meter in series, with the red lead in the "
                  "current socket. Never connect a meter set to amperes directly across a battery: its "
                  "internal resistance is tiny, it acts as a short circuit and its fuse blows.",
                  "",
                  "To find the current through an LED, disconnect its lead from the resistor, set the "
                  "meter to the 200 mA range and connect the probes into the gap. A reading of 18.5 "
                  "means that 18.5 mA flows.",
                  "measure voltage and current safely with a multimeter",
                  "Is an ammeter connected in series or in parallel with the component?",
                  "In series, so that the same current flows through the meter and the component."),
        ],
        "gloss": [("current", "Strom", "courant"), ("voltage", "Spannung", "tension"),
                  ("circuit", "Schaltung", "circuit")],
    },
    {
        "title": "Ohm's law: current, voltage and resistance",
        "short": "Ohm's law",
        "intro": "Resistance sets how much current a voltage can drive. Ohm's law ties the three "
                 "quantities together and is the formula you will use more than any other in "
                 "electronics. This module shows how to apply it, how resistors are marked, and how "
                 "resistance depends on material and temperature.",
        "topics": [
            topic("Resistance and Ohm's law",
                  "Resistance is the opposition a material offers to current. It is measured in ohms. "
                  "For a metal conductor at constant temperature the current is proportional to the "
                  "voltage: double the voltage and the current doubles. The ratio of voltage to current "
                  "is the resistance, and this is Ohm's law.",
                  "V = I × R,   I = V / R,   R = V / I",
                  "A 12 V supply is connected across a 470 Ω resistor. The current is "
                  "I = V / R = 12 V ÷ 470 Ω = 0.0255 A, about 25.5 mA.",
                  "use Ohm's law to find voltage, current or resistance",
                  "What resistance draws 20 mA from a 5 V supply?",
                  "R = V / I = 5 V ÷ 0.02 A = 250 ohms."),
            topic("Choosing a current-limiting resistor",
                  "A light-emitting diode needs its current limited by a series resistor. The resistor "
                  "takes the difference between the supply voltage and the LED's forward voltage, and "
                  "Ohm's law gives its value. Round the result up to the next standard value so that the "
                  "current stays a little below the target.",
                  "R = (Vsupply − VLED) / I",
                  "A red LED drops 2.0 V and should run at 15 mA from a 9 V battery. "
                  "R = (9 − 2.0) V ÷ 0.015 A = 467 Ω; the next standard value is 470 Ω, giving 14.9 mA.",
                  "calculate a series resistor for an LED",
                  "An LED drops 3.0 V and needs 10 mA from 5 V. What resistor is needed?",
                  "R = (5 − 3.0) V ÷ 0.01 A = 200 ohms; use the standard value 220 ohms."),
            topic("Resistor colour codes and tolerance",
                  "Small resistors are marked with coloured bands. On a four-band resistor the first two "
                  "bands are digits, the third is the multiplier and the fourth is the tolerance. The "
                  "colours black, brown, red, orange, yellow, green, blue, violet, grey and white stand "
                  "for the digits 0 to 9. A gold fourth band means ±5 %, silver ±10 %.",
                  "value = (10 × first digit + second digit) × 10^multiplier",
                  "Bands yellow, violet, red, gold read 4, 7 and two zeros: 4700 Ω or 4.7 kΩ, within "
                  "±5 %, so anywhere from 4465 Ω to 4935 Ω.",
                  "read the colour code of a four-band resistor",
                  "What value has a resistor banded brown, black, orange, gold?",
                  "1, 0 and three zeros: 10 000 ohms, that is 10 kilohms, ±5 %."),
            topic("Resistivity and temperature",
                  "The resistance of a wire grows with its length and falls as its cross-sectional area "
                  "grows. The material enters through its resistivity: copper has a resistivity of "
                  "1.7 × 10⁻⁸ ohm metres, nichrome about 1.1 × 10⁻⁶ ohm metres. The resistance of metals "
                  "rises with temperature, which is why a lamp filament draws a large current at the "
                  "moment it is switched on.",
                  "R = ρ × L / A",
                  "A 10 m length of copper wire with a cross-section of 0.5 mm² (5 × 10⁻⁷ m²) has "
                  "R = 1.7 × 10⁻⁸ × 10 ÷ (5 × 10⁻⁷) = 0.34 Ω.",
                  "relate resistance to length, area and material",
                  "A wire is replaced by one twice as long and of the same thickness. What happens to "
                  "its resistance?",
                  "It doubles, since resistance is proportional to length."),
        ],
        "gloss": [("resistor", "Widerstand", "résistance"), ("resistors", "Widerstände", "résistances"),
                  ("conductor", "Leiter", "conducteur")],
    },
    {
        "title": "Series and parallel resistors",
        "short": "Series and parallel resistors",
        "intro": "Real circuits combine many resistors. This module shows how to replace a series or "
                 "parallel group by one equivalent resistor, how to handle mixed networks step by "
                 "step, and how current and voltage divide between the branches.",
        "topics": [
            topic("Resistors in series",
                  "Resistors in series carry the same current, one after the other. Their voltages add "
                  "up to the supply voltage, so the total resistance is simply the sum of the individual "
                  "resistances. The total is always larger than the largest single resistor.",
                  "Rtotal = R1 + R2 + R3 + …",
                  "100 Ω, 220 Ω and 680 Ω in series give Rtotal = 1000 Ω. From a 10 V supply the "
                  "current is 10 V ÷ 1000 Ω = 10 mA, and the 680 Ω resistor drops 6.8 V.",
                  "find the total resistance of resistors in series",
                  "What is the total of 1 kilohm, 2.2 kilohms and 4.7 kilohms in series?",
                  "1 + 2.2 + 4.7 = 7.9 kilohms."),
            topic("Resistors in parallel",
                  "Resistors in parallel share the same voltage, and the supply current splits between "
                  "them. Their conductances add, so the reciprocal of the total resistance is the sum of "
                  "the reciprocals. The total is always smaller than the smallest resistor in the group. "
                  "For two resistors the product-over-sum rule is quicker.",
                  "1/Rtotal = 1/R1 + 1/R2 + …;   for two: Rtotal = R1 × R2 / (R1 + R2)",
                  "A 300 Ω and a 600 Ω resistor in parallel: Rtotal = 300 × 600 ÷ 900 = 200 Ω.",
                  "find the total resistance of resistors in parallel",
                  "What is the total of three 330 ohm resistors in parallel?",
                  "330 ÷ 3 = 110 ohms, since equal resistors in parallel divide the value by their number."),
            topic("Series-parallel networks",
                  "A mixed network is solved from the inside out. Find a group that is purely series or "
                  "purely parallel, replace it by its equivalent, redraw the diagram and repeat until one "
                  "resistor remains. Then work back outwards to find the current and voltage of each part.",
                  "",
                  "A 150 Ω resistor is in series with a parallel pair of 200 Ω and 200 Ω. The pair gives "
                  "100 Ω, so the total is 250 Ω. On 5 V the supply current is 20 mA; the 150 Ω resistor "
                  "drops 3 V and each 200 Ω resistor has 2 V across it and carries 10 mA.",
                  "reduce a series-parallel network to one equivalent resistance",
                  "A 1 kilohm resistor is in series with 2 kilohms and 2 kilohms in parallel. What is "
                  "the total?",
                  "The parallel pair is 1 kilohm, so the total is 2 kilohms."),
            topic("The current divider",
                  "In two parallel branches the current divides in inverse proportion to the "
                  "resistances: the smaller resistor takes the larger share. The current in one branch "
                  "equals the total current times the other branch's resistance, divided by the sum of "
                  "both.",
                  "I1 = Itotal × R2 / (R1 + R2)",
                  "A total of 30 mA enters 1 kΩ in parallel with 2 kΩ. The 1 kΩ branch takes "
                  "30 mA × 2 ÷ 3 = 20 mA and the 2 kΩ branch 10 mA.",
                  "work out how current divides between parallel branches",
                  "60 mA divides between 100 ohms and 200 ohms in parallel. How much flows in the "
                  "200 ohm resistor?",
                  "60 mA × 100 ÷ 300 = 20 mA."),
        ],
        "gloss": [("series connection", "Reihenschaltung", "montage en série"),
                  ("parallel connection", "Parallelschaltung", "montage en parallèle")],
    },
    {
        "title": "Kirchhoff's laws and voltage dividers",
        "short": "Kirchhoff's laws",
        "intro": "Ohm's law deals with one component at a time. Kirchhoff's two laws deal with whole "
                 "networks: what flows into a junction must flow out, and the voltages around any loop "
                 "add up to zero. With them you can analyse voltage dividers, bridges and circuits "
                 "with more than one source.",
        "topics": [
            topic("Kirchhoff's current law",
                  "At any junction the total current flowing in equals the total current flowing out, "
                  "because charge cannot pile up at a point. Mark an arrow for every branch current, "
                  "choosing any direction; a negative answer simply means that the current flows the "
                  "other way.",
                  "Σ Iin = Σ Iout",
                  "Currents of 40 mA and 25 mA flow into a junction and one wire leaves it. That wire "
                  "carries 40 + 25 = 65 mA out of the junction.",
                  "apply Kirchhoff's current law at a junction",
                  "120 mA enters a node; two branches leave it, one with 70 mA. Find the other current.",
                  "120 − 70 = 50 mA."),
            topic("Kirchhoff's voltage law",
                  "Around any closed loop the sum of the source voltages equals the sum of the voltage "
                  "drops. Walk around the loop in one direction, count rises as positive and drops as "
                  "negative, and the total is zero. This is conservation of energy applied to each "
                  "coulomb of charge.",
                  "Σ V around a loop = 0",
                  "A 12 V battery drives current through three resistors in series. Two of them drop "
                  "5 V and 4.5 V, so the third must drop 12 − 5 − 4.5 = 2.5 V.",
                  "apply Kirchhoff's voltage law around a loop",
                  "A 9 V loop has drops of 3.3 V and 2.2 V across two resistors and holds one more "
                  "resistor. What does the last resistor drop?",
                  "9 − 3.3 − 2.2 = 3.5 V."),
            topic("The voltage divider",
                  "Two resistors in series across a supply form a voltage divider: the output, taken "
                  "across the lower resistor, is a fixed fraction of the input. Dividers set bias "
                  "voltages, scale signals for an analogue input and turn a sensor's change of "
                  "resistance into a voltage. They work as calculated only while the load draws much "
                  "less current than the divider itself.",
                  "Vout = Vin × R2 / (R1 + R2)",
                  "With R1 = 10 kΩ, R2 = 4.7 kΩ and Vin = 12 V, Vout = 12 × 4.7 ÷ 14.7 = 3.84 V.",
                  "design a voltage divider for a given output",
                  "What output does a divider of two equal resistors give from 5 V?",
                  "Half the input, 2.5 V."),
            topic("Loading and the Wheatstone bridge",
                  "A load connected to a divider's output sits in parallel with the lower resistor and "
                  "pulls the output down. Keep the divider current at least ten times the load current, "
                  "or buffer the output. A Wheatstone bridge is two dividers side by side; when their "
                  "outputs are equal the bridge is balanced and no current flows between them, which "
                  "allows very precise measurements of resistance.",
                  "balance: R1 / R2 = R3 / R4",
                  "A 10 kΩ / 10 kΩ divider on 10 V gives 5 V unloaded. A 10 kΩ load in parallel with the "
                  "lower resistor makes it 5 kΩ, so the output falls to 10 × 5 ÷ 15 = 3.33 V.",
                  "predict the effect of a load on a divider",
                  "A bridge has R1 = 1 kilohm, R2 = 2 kilohms and R3 = 3 kilohms. What R4 balances it?",
                  "R4 = R3 × R2 / R1 = 6 kilohms."),
        ],
        "gloss": [("junction", "Knoten", "nœud"),
                  ("voltage divider", "Spannungsteiler", "diviseur de tension")],
    },
    {
        "title": "Power and energy",
        "short": "Power and energy",
        "intro": "Every component that carries current turns electrical energy into heat, light or "
                 "motion. This module defines power, shows the three forms of the power formula, and "
                 "explains power ratings, efficiency and the cost of energy.",
        "topics": [
            topic("Electrical power",
                  "Power is the rate at which energy is converted, measured in watts: one watt is one "
                  "joule per second. In a component with a voltage V across it and a current I through "
                  "it, the power is their product. Combining this with Ohm's law gives two more forms "
                  "that need only the resistance and either the current or the voltage.",
                  "P = V × I = I² × R = V² / R",
                  "A 24 Ω heater on 12 V draws I = 0.5 A and dissipates P = 12 V × 0.5 A = 6 W; the other "
                  "forms agree: 0.5² × 24 = 6 W and 12² ÷ 24 = 6 W.",
                  "calculate power with all three forms of the power formula",
                  "What power does a 100 ohm resistor dissipate with 50 mA through it?",
                  "P = I² × R = 0.05² × 100 = 0.25 W."),
            topic("Power ratings of resistors",
                  "A resistor must get rid of its heat without overheating. Common through-hole resistors "
                  "are rated 0.25 W or 0.5 W, small surface-mount ones 0.1 W or less. Choose a rating "
                  "at least twice the calculated dissipation, so that the part runs cool and lasts.",
                  "",
                  "A 47 Ω resistor across 5 V dissipates 5² ÷ 47 = 0.53 W. A 0.25 W part would burn; "
                  "use a 1 W resistor.",
                  "select a resistor with a safe power rating",
                  "A 1 kilohm resistor has 15 V across it. Is a 0.25 W part enough?",
                  "P = 15² ÷ 1000 = 0.225 W; that is too close to 0.25 W, so use a 0.5 W part."),
            topic("Energy and its cost",
                  "Energy is power multiplied by time. Electricity suppliers bill in kilowatt-hours: one "
                  "kilowatt-hour is the energy used by a 1 kW load in one hour, equal to 3.6 million "
                  "joules.",
                  "W = P × t;   1 kWh = 3.6 MJ",
                  "A 60 W soldering station runs for 5 hours a day on 20 days a month: "
                  "60 W × 100 h = 6 kWh. At 0.30 per kWh this costs 1.80 a month.",
                  "work out energy use in joules and kilowatt-hours",
                  "How much energy does a 2 W LED lamp use in 10 hours?",
                  "W = 2 W × 10 h = 20 Wh, or 72 000 J."),
            topic("Efficiency",
                  "No converter turns all of its input power into useful output; the rest becomes heat. "
                  "Efficiency is the ratio of output power to input power, written as a percentage. A "
                  "linear regulator wastes the voltage it drops, while a switching converter commonly "
                  "reaches 85 to 95 %.",
                  "η = Pout / Pin × 100 %",
                  "A motor takes 48 W from its supply and delivers 36 W of mechanical power. Its "
                  "efficiency is 36 ÷ 48 = 75 %, and 12 W is lost as heat.",
                  "calculate the efficiency of a converter",
                  "A power supply delivers 90 W and draws 100 W. What is its efficiency and how much "
                  "heat does it produce?",
                  "90 %, and 10 W of heat."),
        ],
        "gloss": [("power", "Leistung", "puissance"), ("energy", "Energie", "énergie")],
    },
    {
        "title": "Network theorems: Thévenin and Norton",
        "short": "Network theorems",
        "intro": "Large networks become easy once you can replace everything seen from two terminals "
                 "by a single source and a single resistor. This module introduces the Thévenin and "
                 "Norton equivalents, superposition and the maximum power transfer theorem.",
        "topics": [
            topic("The Thévenin equivalent",
                  "Any linear network of sources and resistors, seen from two terminals, behaves like a "
                  "single voltage source Vth in series with a single resistor Rth. Vth is the "
                  "open-circuit voltage at the terminals. Rth is the resistance looking back into the "
                  "terminals with every voltage source replaced by a short circuit.",
                  "Vth = open-circuit voltage;   Rth = resistance with the sources shorted",
                  "A 12 V source feeds a divider of 6 kΩ over 3 kΩ. Open-circuit, the output is "
                  "12 × 3 ÷ 9 = 4 V. With the source shorted the two resistors are in parallel: "
                  "6 × 3 ÷ 9 = 2 kΩ. So the network is 4 V in series with 2 kΩ.",
                  "find the Thévenin equivalent of a network",
                  "With the 4 V, 2 kilohm equivalent above, what voltage appears across a 2 kilohm load?",
                  "Half of 4 V, that is 2 V."),
            topic("The Norton equivalent",
                  "The same terminals can also be modelled as a current source In in parallel with a "
                  "resistor Rn. The Norton current is the current that flows when the terminals are "
                  "shorted together, and Rn equals Rth. The two models convert into each other with "
                  "Ohm's law.",
                  "In = Vth / Rth;   Rn = Rth",
                  "The 4 V, 2 kΩ Thévenin source becomes a Norton source of 4 V ÷ 2 kΩ = 2 mA in "
                  "parallel with 2 kΩ.",
                  "convert between Thévenin and Norton models",
                  "Convert a Norton source of 5 mA with 1 kilohm into its Thévenin form.",
                  "Vth = 5 mA × 1 kilohm = 5 V, in series with 1 kilohm."),
            topic("Superposition",
                  "In a linear circuit with several sources, the current in any branch is the sum of the "
                  "currents that each source would produce alone. Treat one source at a time, replacing "
                  "the others by their internal resistance (a short for a voltage source, an open "
                  "circuit for a current source), then add the results with their signs.",
                  "",
                  "Two 10 V sources each feed a common 1 kΩ load through their own 1 kΩ resistor. With "
                  "one source alone, the load sits in parallel with the other 1 kΩ (500 Ω), so it gets "
                  "10 × 500 ÷ 1500 = 3.33 V. Both sources together give twice that, 6.67 V.",
                  "solve circuits with more than one source by superposition",
                  "Why can power not be found by superposition?",
                  "Power depends on the square of current or voltage, so it is not linear; add the "
                  "currents first, then work out the power."),
            topic("Maximum power transfer",
                  "A source delivers the most power to a load when the load resistance equals the "
                  "source's Thévenin resistance. At that point the efficiency is only 50 %, since as much "
                  "power is lost inside the source as reaches the load. Audio and radio stages are "
                  "matched this way; power distribution is not.",
                  "Pmax = Vth² / (4 × Rth)   when RL = Rth",
                  "A 6 V source with 4 Ω internal resistance gives its greatest power to a 4 Ω load: "
                  "6² ÷ 16 = 2.25 W.",
                  "state the maximum power transfer theorem",
                  "What load takes the most power from a 9 V source with 50 ohms internal resistance, "
                  "and how much?",
                  "A 50 ohm load, receiving 81 ÷ 200 = 0.405 W."),
        ],
        "gloss": [("equivalent circuit", "Ersatzschaltung", "schéma équivalent"),
                  ("source", "Quelle", "source")],
    },
    {
        "title": "Capacitors",
        "short": "Capacitors",
        "intro": "A capacitor stores energy in the electric field between two conducting plates. "
                 "Capacitors block steady DC, pass AC, smooth supplies and set timing. This module "
                 "covers capacitance, the types you will meet, and how capacitors combine in series "
                 "and parallel.",
        "topics": [
            topic("Capacitance and charge",
                  "When a voltage is applied to a capacitor, charge flows onto one plate and off the "
                  "other until the capacitor's voltage matches the source. The charge stored is "
                  "proportional to the voltage; the constant of proportionality is the capacitance, "
                  "measured in farads. Practical values are small: microfarads (µF), nanofarads (nF) "
                  "and picofarads (pF).",
                  "Q = C × V",
                  "A 100 µF capacitor charged to 12 V holds Q = 100 × 10⁻⁶ F × 12 V = 1.2 mC.",
                  "relate charge, capacitance and voltage",
                  "What voltage appears on a 10 µF capacitor holding 50 µC?",
                  "V = Q / C = 50 µC ÷ 10 µF = 5 V."),
            topic("Construction and types",
                  "Capacitance grows with the plate area and with the permittivity of the dielectric, "
                  "and falls as the plates move apart. Ceramic capacitors are small and stable, for "
                  "decoupling and high frequencies. Electrolytic capacitors pack many µF into a small "
                  "can but are polarised: connected the wrong way round they can overheat and vent. "
                  "Film capacitors suit audio and timing circuits.",
                  "C = ε0 × εr × A / d",
                  "Two plates of 0.01 m² spaced 0.1 mm apart in air give "
                  "C = 8.85 × 10⁻¹² × 0.01 ÷ 0.0001 = 885 pF.",
                  "choose a suitable capacitor type",
                  "Why must an electrolytic capacitor be connected the right way round?",
                  "It is polarised; a reverse voltage destroys its oxide layer, so it can overheat "
                  "and fail."),
            topic("Capacitors in series and parallel",
                  "Capacitors in parallel add directly, because their plate areas add. In series the "
                  "reciprocals add, and the total is smaller than the smallest capacitor: the rules are "
                  "the reverse of those for resistors. In series every capacitor carries the same "
                  "charge, so the smaller capacitor takes the larger voltage.",
                  "parallel: C = C1 + C2;   series: 1/C = 1/C1 + 1/C2",
                  "A 10 µF and a 22 µF capacitor give 32 µF in parallel and 10 × 22 ÷ 32 = 6.9 µF "
                  "in series.",
                  "combine capacitors in series and parallel",
                  "What is the total of two 47 nF capacitors in series?",
                  "23.5 nF, half the value of one of them."),
            topic("Stored energy",
                  "A charged capacitor stores energy that it can release quickly, as in a camera flash. "
                  "The energy grows with the square of the voltage. Large capacitors can hold a "
                  "dangerous charge long after the power is off: discharge them through a resistor "
                  "before touching them.",
                  "W = ½ × C × V²",
                  "A 4700 µF smoothing capacitor at 35 V stores ½ × 0.0047 × 35² = 2.88 J.",
                  "calculate the energy stored in a capacitor",
                  "How much energy does a 1 F capacitor store at 5 V?",
                  "½ × 1 × 25 = 12.5 J."),
        ],
        "gloss": [("capacitor", "Kondensator", "condensateur"), ("charge", "Ladung", "charge")],
    },
    {
        "title": "Inductors and magnetism",
        "short": "Inductors",
        "intro": "A current produces a magnetic field, and a changing magnetic field produces a voltage. "
                 "Inductors use these two effects to store energy in a magnetic field and to oppose "
                 "changes of current. This module covers electromagnetism, inductance and how inductors "
                 "behave when they are switched.",
        "topics": [
            topic("The magnetic field of a current",
                  "Every current is surrounded by a magnetic field. Winding the wire into a coil "
                  "concentrates the field inside the coil, and an iron or ferrite core multiplies it many "
                  "times. The strength of an electromagnet grows with the current and the number of "
                  "turns, which together are called the ampere-turns.",
                  "magnetomotive force = N × I",
                  "A relay coil of 2000 turns carrying 30 mA has 2000 × 0.03 = 60 ampere-turns.",
                  "describe the magnetic field of a coil",
                  "How many turns give 100 ampere-turns at 50 mA?",
                  "100 ÷ 0.05 = 2000 turns."),
            topic("Induction and Lenz's law",
                  "Faraday found that a voltage is induced in a coil whenever the magnetic flux through "
                  "it changes. Lenz's law gives the direction: the induced voltage drives a current that "
                  "opposes the change that caused it. Generators, transformers and dynamic microphones "
                  "all rely on induction.",
                  "e = −N × ΔΦ / Δt",
                  "The flux through a 500-turn coil changes by 2 mWb in 10 ms. The induced voltage is "
                  "500 × 0.002 ÷ 0.01 = 100 V.",
                  "state Faraday's and Lenz's laws",
                  "What happens to the induced voltage if the flux changes twice as fast?",
                  "It doubles."),
            topic("Inductance",
                  "The inductance of a coil, in henries, tells how much voltage appears across it for a "
                  "given rate of change of current. It rises with the square of the number of turns and "
                  "with the permeability of the core. An inductor therefore opposes any change of "
                  "current but lets a steady current through, limited only by the resistance of its wire.",
                  "V = L × ΔI / Δt",
                  "The current through a 10 mH inductor rises from 0 to 2 A in 1 ms. The voltage across "
                  "it during the rise is 0.01 × 2 ÷ 0.001 = 20 V.",
                  "relate inductance to voltage and rate of change of current",
                  "What voltage appears across 100 µH when the current changes by 0.5 A in 5 µs?",
                  "V = 100 × 10⁻⁶ × 0.5 ÷ (5 × 10⁻⁶) = 10 V."),
            topic("Energy and switching",
                  "An inductor stores energy in its magnetic field. When the current is suddenly "
                  "interrupted, that energy has nowhere to go and the voltage shoots up, often to "
                  "hundreds of volts. A diode across a relay coil, the flyback diode, gives the current "
                  "a safe path and protects the transistor that switches the coil.",
                  "W = ½ × L × I²",
                  "A 50 mH coil carrying 0.4 A stores ½ × 0.05 × 0.16 = 4 mJ.",
                  "explain why relay coils need a flyback diode",
                  "Which way round is the flyback diode fitted?",
                  "Reverse biased in normal operation: its cathode goes to the positive end of the coil."),
        ],
        "gloss": [("inductor", "Spule", "bobine"), ("magnetic field", "Magnetfeld", "champ magnétique")],
    },
    {
        "title": "RC and RL circuits: time constants",
        "short": "Time constants",
        "intro": "Capacitors and inductors do not change their voltage or current instantly. Together "
                 "with a resistor they charge and discharge along exponential curves whose pace is set "
                 "by the time constant. This module shows how to calculate these curves and how to use "
                 "them for timing and filtering.",
        "topics": [
            topic("Charging a capacitor through a resistor",
                  "When a capacitor charges through a resistor, the current is largest at the start and "
                  "dies away as the capacitor voltage approaches the supply. The time constant, R times "
                  "C, is the time taken to reach 63 % of the final voltage. After five time constants "
                  "the capacitor is regarded as fully charged.",
                  "τ = R × C;   Vc = Vs × (1 − e^(−t/τ))",
                  "A 10 kΩ resistor and a 100 µF capacitor give τ = 1 s. From a 9 V supply the capacitor "
                  "reaches 5.7 V after 1 s and is practically full after 5 s.",
                  "calculate the time constant of an RC circuit",
                  "What is the time constant of 47 kilohms and 10 µF?",
                  "0.47 s."),
            topic("Discharging",
                  "A charged capacitor discharging through a resistor loses 63 % of its voltage in each "
                  "time constant, keeping 37 % of what it had. The curve never quite reaches zero, but "
                  "after five time constants less than 1 % remains.",
                  "Vc = V0 × e^(−t/τ)",
                  "A 1 µF capacitor at 10 V discharges through 1 MΩ, so τ = 1 s. After 2 s the voltage "
                  "is 10 × e^(−2) = 1.35 V.",
                  "predict the voltage of a discharging capacitor",
                  "What fraction of the starting voltage is left after three time constants?",
                  "e to the power −3, about 5 %."),
            topic("RL circuits",
                  "In a circuit of a resistor and an inductor the current, not the voltage, rises "
                  "exponentially. The time constant is the inductance divided by the resistance. Large "
                  "inductors with small resistances respond slowly, which is why the currents of motors "
                  "and relays take a moment to build up.",
                  "τ = L / R",
                  "A 200 mH coil with 40 Ω in series has τ = 0.2 ÷ 40 = 5 ms; on 12 V the current "
                  "reaches its final 0.3 A in about 25 ms.",
                  "calculate the time constant of an RL circuit",
                  "What are the final current and the time constant of 1 H in series with 100 ohms "
                  "on 10 V?",
                  "0.1 A, and a time constant of 10 ms."),
            topic("Pulses and RC timing",
                  "A square wave applied to an RC circuit shows the time constant at a glance. When the "
                  "time constant is short compared with the pulse, the capacitor voltage follows the "
                  "pulse with rounded edges; when it is long, the output across the resistor shows only "
                  "sharp spikes at each edge. Simple delay and debounce circuits use exactly this "
                  "behaviour.",
                  "",
                  "A push-button debounce circuit uses 10 kΩ and 1 µF: τ = 10 ms, long enough to swallow "
                  "contact bounce lasting a few milliseconds.",
                  "use an RC network for delay and debouncing",
                  "Would 1 kilohm and 10 nF debounce a switch?",
                  "No: the time constant is only 10 µs, far shorter than the bounce."),
        ],
        "gloss": [("time constant", "Zeitkonstante", "constante de temps"),
                  ("charging", "Aufladung", "charge")],
    },
    {
        "title": "Alternating current",
        "short": "Alternating current",
        "intro": "Mains power, audio and radio signals all alternate. This module describes the sine "
                 "wave, its frequency, period and phase, and the RMS value that lets AC be compared with "
                 "DC. It ends with the oscilloscope, the instrument that shows waveforms.",
        "topics": [
            topic("The sine wave",
                  "An alternating voltage reverses its direction many times a second. Its purest form is "
                  "the sine wave, produced by a coil turning steadily in a magnetic field. Its frequency, "
                  "in hertz, is the number of complete cycles per second; the period is the time of one "
                  "cycle.",
                  "T = 1 / f;   v = Vpeak × sin(2π f t)",
                  "Mains at 50 Hz has a period of 1 ÷ 50 = 20 ms; a 1 kHz test tone has a period of 1 ms.",
                  "relate frequency and period",
                  "What frequency has a period of 2.5 µs?",
                  "f = 1 ÷ 2.5 µs = 400 kHz."),
            topic("Peak, peak-to-peak and RMS values",
                  "The peak value is the highest point of the wave, the peak-to-peak value the distance "
                  "from the lowest to the highest point. The RMS (root mean square) value is the DC "
                  "voltage that would heat a resistor equally. For a sine wave it is the peak divided by "
                  "the square root of two. Meters and mains ratings quote RMS values.",
                  "Vrms = Vpeak / √2 ≈ 0.707 × Vpeak",
                  "A 230 V RMS mains supply peaks at 230 × 1.414 = 325 V, and swings 650 V from peak "
                  "to peak.",
                  "convert between peak, peak-to-peak and RMS values",
                  "An oscilloscope shows a sine wave of 10 V peak-to-peak. What is its RMS value?",
                  "5 V peak, so 5 × 0.707 = 3.54 V RMS."),
            topic("Phase",
                  "Two waves of the same frequency can be shifted in time. The shift is expressed as a "
                  "phase angle, a full cycle being 360 degrees. In a capacitor the current leads the "
                  "voltage by 90°; in an inductor it lags by 90°. Phase matters whenever AC signals are "
                  "added.",
                  "phase angle = 360° × Δt / T",
                  "Two 1 kHz waves with peaks 0.25 ms apart are 360 × 0.25 ÷ 1 = 90° out of phase.",
                  "express a time shift as a phase angle",
                  "Two 50 Hz waves are 5 ms apart. What is their phase difference?",
                  "360° × 5 ÷ 20 = 90°."),
            topic("Using the oscilloscope",
                  "An oscilloscope draws voltage against time. Read a voltage by counting vertical "
                  "divisions and multiplying by the volts per division; read a time by counting "
                  "horizontal divisions and multiplying by the time base setting. Set the trigger so "
                  "that every sweep starts at the same point of the wave and the trace stands still.",
                  "",
                  "A sine wave spans 6 divisions peak-to-peak at 2 V/div, and one cycle covers 4 "
                  "divisions at 0.5 ms/div. It is 12 V peak-to-peak with a period of 2 ms, that is "
                  "500 Hz.",
                  "measure amplitude and frequency with an oscilloscope",
                  "One cycle covers 5 divisions at 20 µs/div. What is the frequency?",
                  "The period is 100 µs, so the frequency is 10 kHz."),
        ],
        "gloss": [("alternating current", "Wechselstrom", "courant alternatif"),
                  ("frequency", "Frequenz", "fréquence")],
    },
    {
        "title": "Reactance and impedance",
        "short": "Reactance and impedance",
        "intro": "Capacitors and inductors oppose alternating current in a way that depends on "
                 "frequency. This opposition is called reactance. Combined with resistance it gives the "
                 "impedance of a circuit, the AC form of Ohm's law.",
        "topics": [
            topic("Capacitive reactance",
                  "A capacitor passes more alternating current as the frequency rises, because it charges "
                  "and discharges more often each second. Its reactance falls in inverse proportion to "
                  "frequency and capacitance. At DC the reactance is infinite: a capacitor blocks steady "
                  "current.",
                  "Xc = 1 / (2π f C)",
                  "A 100 nF capacitor at 1 kHz has Xc = 1 ÷ (6.283 × 1000 × 10⁻⁷) = 1592 Ω.",
                  "calculate capacitive reactance",
                  "What is the reactance of 10 µF at 50 Hz?",
                  "1 ÷ (2π × 50 × 10⁻⁵) = 318 ohms."),
            topic("Inductive reactance",
                  "An inductor opposes alternating current more as the frequency rises, because the "
                  "current has to change faster. Its reactance grows in proportion to frequency and "
                  "inductance, and at DC only the resistance of the wire remains.",
                  "XL = 2π f L",
                  "A 10 mH choke at 10 kHz has XL = 6.283 × 10 000 × 0.01 = 628 Ω.",
                  "calculate inductive reactance",
                  "At what frequency does a 1 mH inductor have a reactance of 100 ohms?",
                  "f = 100 ÷ (2π × 0.001) = 15.9 kHz."),
            topic("Impedance of series circuits",
                  "In a series circuit of resistance and reactance the voltages are out of phase and do "
                  "not add directly. They add like the sides of a right-angled triangle, and so do the "
                  "resistance and the reactance. The result is the impedance Z, in ohms, and the AC form "
                  "of Ohm's law is V = I × Z.",
                  "Z = √(R² + X²);   phase angle φ = arctan(X / R)",
                  "A 300 Ω resistor in series with a reactance of 400 Ω gives "
                  "Z = √(90 000 + 160 000) = 500 Ω. On 10 V RMS the current is 20 mA.",
                  "find the impedance of a series RC or RL circuit",
                  "A 60 ohm resistor is in series with 80 ohms of reactance. What is the impedance?",
                  "The square root of 3600 + 6400, that is 100 ohms."),
            topic("Power factor",
                  "In a reactive circuit current and voltage are out of step, so not all the "
                  "volt-amperes do useful work. The real power is the apparent power times the power "
                  "factor, the cosine of the phase angle. Motors and the ballasts of fluorescent lamps "
                  "have poor power factors, which supply companies correct with capacitors.",
                  "P = V × I × cos φ",
                  "A motor draws 5 A from 230 V with a power factor of 0.8. The apparent power is "
                  "1150 VA and the real power 920 W.",
                  "explain real power, apparent power and power factor",
                  "What is the power factor of a purely resistive load?",
                  "1, since voltage and current are in phase."),
        ],
        "gloss": [("impedance", "Impedanz", "impédance"), ("reactance", "Blindwiderstand", "réactance")],
    },
    {
        "title": "Resonance and filters",
        "short": "Resonance and filters",
        "intro": "When inductive and capacitive reactances are equal they cancel, and a circuit "
                 "resonates. Resonance picks one frequency out of many; simpler RC networks pass or "
                 "block whole bands. This module covers tuned circuits, filters, cut-off frequencies "
                 "and decibels.",
        "topics": [
            topic("Series and parallel resonance",
                  "At the resonant frequency the reactance of the inductor equals that of the capacitor. "
                  "In a series circuit they cancel and the impedance falls to the resistance alone, so "
                  "the current peaks. In a parallel circuit the impedance rises to a maximum instead. "
                  "The tuned circuits of radios use this to pick one station.",
                  "f0 = 1 / (2π √(L C))",
                  "A 100 µH coil with a 253 pF capacitor resonates at "
                  "1 ÷ (6.283 × √(2.53 × 10⁻¹⁴)) = 1.0 MHz, in the medium-wave band.",
                  "calculate the resonant frequency of an LC circuit",
                  "What happens to the resonant frequency if the capacitance is made four times larger?",
                  "It halves, because it varies with one over the square root of C."),
            topic("Quality factor and bandwidth",
                  "The sharpness of a resonance is measured by its quality factor Q: the ratio of the "
                  "reactance at resonance to the series resistance. A high Q gives a narrow bandwidth, "
                  "the range of frequencies between the two points where the response has fallen to "
                  "70.7 %.",
                  "Q = XL / R;   bandwidth = f0 / Q",
                  "A circuit resonant at 455 kHz with Q = 50 has a bandwidth of 455 ÷ 50 = 9.1 kHz.",
                  "relate quality factor to bandwidth",
                  "What Q gives a 10 kHz bandwidth at 1 MHz?",
                  "Q = 1 MHz ÷ 10 kHz = 100."),
            topic("RC low-pass and high-pass filters",
                  "A resistor and a capacitor form the simplest filter. Taking the output across the "
                  "capacitor gives a low-pass filter: low frequencies pass, high frequencies are shorted "
                  "away. Swapping the two parts gives a high-pass filter. At the cut-off frequency the "
                  "output is 70.7 % of the input and the reactance equals the resistance.",
                  "fc = 1 / (2π R C)",
                  "10 kΩ with 15 nF gives fc = 1 ÷ (6.283 × 10 000 × 15 × 10⁻⁹) = 1.06 kHz.",
                  "design a first-order RC filter",
                  "Across which component is the output of an RC high-pass filter taken?",
                  "Across the resistor."),
            topic("Decibels and roll-off",
                  "Filter responses are given in decibels, a logarithmic scale that turns multiplication "
                  "into addition. A voltage ratio of 0.707 is −3 dB, a ratio of 0.1 is −20 dB. Beyond "
                  "its cut-off, a first-order filter rolls off at 20 dB per decade of frequency, a "
                  "second-order filter at 40 dB.",
                  "gain in dB = 20 × log10(Vout / Vin)",
                  "A first-order low-pass filter with fc = 1 kHz passes a 10 kHz signal about 20 dB "
                  "down, at one tenth of the voltage.",
                  "express gain and loss in decibels",
                  "What is a voltage gain of 100 in decibels?",
                  "20 × log10(100) = 40 dB."),
        ],
        "gloss": [("filter", "Filter", "filtre"), ("resonance", "Resonanz", "résonance")],
    },
    {
        "title": "Transformers",
        "short": "Transformers",
        "intro": "A transformer moves AC energy from one circuit to another through a shared magnetic "
                 "core, changing the voltage on the way. It also isolates circuits for safety and "
                 "matches impedances. This module covers the turns ratio, power, losses and ratings.",
        "topics": [
            topic("How a transformer works",
                  "An alternating current in the primary winding sets up an alternating flux in the iron "
                  "core. The same flux passes through the secondary winding and induces a voltage in it. "
                  "Because only a changing flux induces a voltage, a transformer does not work on DC.",
                  "",
                  "Connect a transformer's primary to a 12 V battery and the secondary shows a brief "
                  "pulse at switch-on and then nothing, while the primary current rises until only the "
                  "resistance of the wire limits it.",
                  "explain how a transformer works",
                  "Why does a transformer need alternating current?",
                  "Only a changing magnetic flux induces a voltage in the secondary."),
            topic("The turns ratio",
                  "The voltage on each winding is proportional to its number of turns. A step-down "
                  "transformer has fewer secondary turns than primary turns; a step-up transformer has "
                  "more. In an ideal transformer the power in equals the power out, so the currents are "
                  "in the inverse ratio of the voltages.",
                  "Vs / Vp = Ns / Np = Ip / Is",
                  "A transformer with 1150 primary turns and 60 secondary turns on 230 V mains gives "
                  "230 × 60 ÷ 1150 = 12 V. If the secondary delivers 2 A, the primary draws about "
                  "2 × 12 ÷ 230 = 0.104 A.",
                  "use the turns ratio to find voltages and currents",
                  "A 10:1 step-down transformer has 120 V on its primary. What is the secondary voltage?",
                  "12 V."),
            topic("Losses and efficiency",
                  "Real transformers lose power in the resistance of their windings (copper losses) and "
                  "in the core (iron losses, from eddy currents and hysteresis). Laminated or ferrite "
                  "cores keep eddy currents small. Large power transformers reach efficiencies above "
                  "98 %; small mains transformers manage 80 to 90 %.",
                  "",
                  "A transformer takes 55 W from the mains and delivers 48 W. Its efficiency is "
                  "48 ÷ 55 = 87 %, and 7 W warms the core and windings.",
                  "name the losses in a transformer",
                  "Why is a transformer core made of thin insulated laminations?",
                  "To break up the paths of eddy currents and so reduce the iron losses."),
            topic("Ratings and impedance matching",
                  "A transformer is rated in volt-amperes, the product of its secondary voltage and its "
                  "greatest secondary current. Because it changes voltage and current in opposite "
                  "directions, it also changes impedance, by the square of the turns ratio. Audio output "
                  "transformers use this to match a loudspeaker to an amplifier.",
                  "Zp = Zs × (Np / Ns)²",
                  "An 8 Ω loudspeaker behind a 10:1 transformer looks like 8 × 100 = 800 Ω to the "
                  "amplifier.",
                  "calculate reflected impedance",
                  "What current can a 24 VA, 12 V transformer deliver?",
                  "2 A."),
        ],
        "gloss": [("transformer", "Transformator", "transformateur"),
                  ("winding", "Wicklung", "enroulement")],
    },
    {
        "title": "Diodes and rectifiers",
        "short": "Diodes and rectifiers",
        "intro": "A diode lets current flow one way only. This one-way action turns AC into DC, "
                 "protects circuits against reversed supplies and clamps voltage spikes. This module "
                 "covers the PN junction, rectifier circuits, smoothing and special diodes.",
        "topics": [
            topic("The PN junction",
                  "A diode is a junction of P-type and N-type silicon. Forward biased, with the anode "
                  "more positive than the cathode, it conducts once the voltage exceeds about 0.6 to "
                  "0.7 V for silicon. Reverse biased, it blocks, passing only a tiny leakage current until "
                  "its breakdown voltage is reached.",
                  "forward voltage: silicon ≈ 0.7 V;   germanium and Schottky ≈ 0.3 V",
                  "A silicon diode in series with a 1 kΩ resistor on 5 V drops about 0.7 V, so the "
                  "current is (5 − 0.7) ÷ 1000 = 4.3 mA.",
                  "describe forward and reverse bias of a diode",
                  "Which terminal of a conducting diode is more positive?",
                  "The anode."),
            topic("Half-wave and full-wave rectifiers",
                  "A single diode passes only the positive half-cycles: a half-wave rectifier. A bridge of "
                  "four diodes steers both half-cycles the same way through the load: a full-wave "
                  "rectifier, with twice the ripple frequency and easier smoothing. In a bridge two "
                  "diodes conduct at a time, so two forward drops are lost.",
                  "bridge output peak = Vpeak − 2 × 0.7 V",
                  "A 12 V RMS transformer winding peaks at 17.0 V. After a silicon bridge the peak is "
                  "17.0 − 1.4 = 15.6 V.",
                  "compare half-wave and full-wave rectifiers",
                  "What is the ripple frequency of a full-wave rectifier on 50 Hz mains?",
                  "100 Hz."),
            topic("Smoothing capacitors and ripple",
                  "A reservoir capacitor after the rectifier charges to the peak voltage and supplies "
                  "the load between the peaks. Its voltage sags a little in each cycle: the ripple. A "
                  "larger capacitor or a lighter load gives less ripple.",
                  "ripple (peak-to-peak) ≈ I / (f × C),   f = ripple frequency",
                  "A load of 0.5 A on a full-wave rectifier with 100 Hz ripple and 4700 µF gives about "
                  "0.5 ÷ (100 × 0.0047) = 1.06 V of ripple.",
                  "estimate ripple and size a reservoir capacitor",
                  "What capacitor keeps the ripple at 1 V for 1 A at 100 Hz?",
                  "C = 1 ÷ (100 × 1) = 0.01 F, that is 10 000 µF."),
            topic("Zener diodes and LEDs",
                  "A Zener diode is made to break down at a precise reverse voltage and holds that "
                  "voltage over a wide range of currents, so with a series resistor it forms a simple "
                  "regulator. Light-emitting diodes give off light when forward biased; their forward "
                  "voltage depends on the colour, from about 1.8 V for red to 3.2 V for blue and white.",
                  "Rseries = (Vin − Vz) / (Iz + Iload)",
                  "A 5.1 V Zener fed from 12 V, with 10 mA for the Zener and 20 mA for the load, needs "
                  "R = (12 − 5.1) ÷ 0.03 = 230 Ω; use 220 Ω.",
                  "use a Zener diode as a voltage reference",
                  "Is a Zener diode used forward or reverse biased as a regulator?",
                  "Reverse biased, in breakdown."),
        ],
        "gloss": [("diode", "Diode", "diode"), ("rectifier", "Gleichrichter", "redresseur")],
    },
    {
        "title": "Power supplies and voltage regulators",
        "short": "Power supplies",
        "intro": "Almost every electronic device needs a steady DC supply. This module follows a mains "
                 "supply from the transformer and rectifier to the regulator, compares linear and "
                 "switching regulators, and shows how to keep them cool.",
        "topics": [
            topic("The stages of a power supply",
                  "A classic linear supply has four stages: a transformer to lower and isolate the mains "
                  "voltage, a rectifier, a reservoir capacitor for smoothing, and a regulator that holds "
                  "the output steady whatever the load and the mains do. Each stage must pass the full "
                  "load current.",
                  "",
                  "For a 5 V, 1 A supply: a 9 V RMS transformer, a bridge rectifier giving about 11.3 V "
                  "peak, 2200 µF of smoothing and a 7805 regulator.",
                  "name the stages of a linear power supply",
                  "Which stage removes most of the ripple left by the capacitor?",
                  "The regulator."),
            topic("Linear regulators",
                  "A three-terminal linear regulator such as the 7805 behaves like a variable resistor "
                  "that adjusts itself to keep the output constant. It needs an input a few volts above "
                  "the output, its dropout voltage, and it turns the excess voltage into heat. "
                  "Low-dropout types need as little as 0.3 V.",
                  "Pregulator = (Vin − Vout) × Iload",
                  "A 7805 with 12 V in and 0.5 A out dissipates (12 − 5) × 0.5 = 3.5 W and needs a "
                  "heatsink.",
                  "calculate the dissipation of a linear regulator",
                  "What is the efficiency of a linear regulator from 12 V to 5 V?",
                  "About 5 ÷ 12 = 42 %, since the input and output currents are almost equal."),
            topic("Switching regulators",
                  "A switching regulator chops the input with a transistor switch many thousands of times "
                  "per second and smooths the pulses with an inductor and a capacitor. Because the switch "
                  "is either fully on or fully off it wastes little power. A buck converter steps the "
                  "voltage down, a boost converter steps it up.",
                  "buck: Vout = D × Vin   (D = duty cycle)",
                  "A buck converter from 12 V with a duty cycle of 0.275 gives 3.3 V. At 90 % efficiency "
                  "a 1 A output draws only about 0.31 A from the 12 V input.",
                  "explain the principle of a switching regulator",
                  "What duty cycle gives 5 V from a 20 V input in an ideal buck converter?",
                  "0.25, that is 25 %."),
            topic("Heatsinks and thermal resistance",
                  "Heat flows from a semiconductor junction to the air through a chain of thermal "
                  "resistances, measured in degrees Celsius per watt. The temperature rise is the power "
                  "times the total thermal resistance. Keep the junction well below its maximum, usually "
                  "125 to 150 °C.",
                  "Tj = Tambient + P × (θjc + θcs + θsa)",
                  "A regulator dissipating 3.5 W, with 5 °C/W from junction to case, a 1 °C/W pad and a "
                  "10 °C/W heatsink, runs at 25 + 3.5 × 16 = 81 °C in 25 °C air.",
                  "choose a heatsink from thermal resistance",
                  "Without a heatsink a TO-220 package has about 50 °C/W to air. How hot does it get at "
                  "2 W in 25 °C air?",
                  "25 + 100 = 125 °C, too hot for comfort: fit a heatsink."),
        ],
        "gloss": [("power supply", "Netzteil", "alimentation"), ("heatsink", "Kühlkörper", "dissipateur")],
    },
    {
        "title": "Bipolar transistors",
        "short": "Bipolar transistors",
        "intro": "The bipolar junction transistor lets a small base current control a much larger "
                 "collector current. It is both an amplifier and a switch. This module explains how NPN "
                 "and PNP transistors work and how to use them as switches.",
        "topics": [
            topic("NPN and PNP transistors",
                  "A bipolar transistor has three layers: emitter, base and collector. In an NPN "
                  "transistor a small current flowing into the base, with the base about 0.7 V above the "
                  "emitter, allows a much larger current to flow from collector to emitter. A PNP "
                  "transistor works the same way with all polarities reversed.",
                  "IE = IC + IB",
                  "With 0.2 mA into the base and 19.8 mA into the collector, 20 mA leaves by the emitter.",
                  "describe the currents in an NPN transistor",
                  "Which way does the base current flow in a PNP transistor?",
                  "Out of the base."),
            topic("Current gain",
                  "The ratio of collector current to base current is the DC current gain, hFE. It varies "
                  "widely from one transistor to the next, with temperature and with collector current, "
                  "typically from 100 to 400 for small-signal types. Good designs work whatever the "
                  "exact gain.",
                  "hFE = IC / IB",
                  "A transistor with hFE = 150 and IB = 40 µA conducts IC = 150 × 40 µA = 6 mA.",
                  "use current gain to relate base and collector currents",
                  "What base current gives 100 mA of collector current at a gain of 50?",
                  "2 mA."),
            topic("The transistor as a switch",
                  "As a switch, the transistor is either cut off, with no base current, or saturated, "
                  "with enough base current that the collector voltage falls to about 0.2 V. To be sure "
                  "of saturation, give it two to five times the base current that the minimum gain "
                  "calls for.",
                  "RB = (Vin − 0.7) / IB",
                  "A relay coil needs 60 mA and the transistor's minimum gain is 100, so IB must be at "
                  "least 0.6 mA. Allowing a factor of three, IB = 1.8 mA, and from a 5 V logic output "
                  "RB = (5 − 0.7) ÷ 0.0018 = 2.4 kΩ; use 2.2 kΩ.",
                  "design a transistor switch for a load",
                  "What does the collector-emitter voltage of a saturated transistor fall to?",
                  "About 0.1 to 0.3 V."),
            topic("Transistor ratings",
                  "Every transistor has limits that must not be exceeded: the greatest collector "
                  "current, the greatest collector-emitter voltage and the greatest power dissipation. "
                  "The power in a transistor is its collector-emitter voltage times its collector "
                  "current; as a saturated switch it dissipates very little.",
                  "P = VCE × IC",
                  "A BC547 is rated at 45 V, 100 mA and 500 mW. Switching 80 mA with VCE = 0.2 V it "
                  "dissipates only 16 mW; biased at VCE = 6 V and 80 mA it would dissipate 480 mW, "
                  "almost its limit.",
                  "check a transistor against its ratings",
                  "A transistor carries 50 mA with 10 V across it. What does it dissipate?",
                  "0.5 W."),
        ],
        "gloss": [("transistor", "Transistor", "transistor"), ("switch", "Schalter", "interrupteur")],
    },
    {
        "title": "Field-effect transistors",
        "short": "Field-effect transistors",
        "intro": "Field-effect transistors are controlled by voltage rather than current: their gate "
                 "draws almost no current. MOSFETs are the switches in every computer chip and in modern "
                 "power electronics. This module covers JFETs and MOSFETs and how to drive them.",
        "topics": [
            topic("How a FET works",
                  "In a field-effect transistor the current flows through a channel between source and "
                  "drain, and the voltage on the gate widens or narrows that channel. The gate is "
                  "insulated (MOSFET) or reverse biased (JFET), so it draws almost no current and the "
                  "input resistance is very high.",
                  "ID is controlled by VGS",
                  "A MOSFET gate driven through 10 MΩ still switches cleanly at low speed, because the "
                  "gate takes only nanoamperes of leakage.",
                  "explain how the gate controls a FET",
                  "Why does a FET load the circuit that drives it so little?",
                  "Its gate is insulated or reverse biased and draws almost no current."),
            topic("Enhancement MOSFETs as switches",
                  "An N-channel enhancement MOSFET is off with its gate at the source voltage and turns "
                  "on when the gate rises above the threshold voltage, typically 1 to 3 V. Fully on, the "
                  "channel behaves like a small resistance, from a few milliohms to a few ohms.",
                  "P = ID² × RDS(on)",
                  "A MOSFET with an on-resistance of 0.05 Ω switching 4 A dissipates "
                  "4² × 0.05 = 0.8 W.",
                  "calculate the conduction loss of a MOSFET switch",
                  "What does a MOSFET with 0.02 ohms of on-resistance dissipate at 10 A?",
                  "100 × 0.02 = 2 W."),
            topic("Driving MOSFETs from logic",
                  "Standard MOSFETs need about 10 V on the gate to turn fully on; logic-level types are "
                  "fully on at 4.5 V or even 2.5 V. The gate behaves like a capacitor, so fast switching "
                  "needs a driver that can supply large peak currents. A resistor of 10 to 100 kilohms "
                  "from gate to source keeps the MOSFET off when the driver is disconnected.",
                  "drive current I = Qg / tswitch",
                  "A MOSFET with a gate charge of 20 nC switched in 100 ns needs a drive current of "
                  "20 nC ÷ 100 ns = 0.2 A.",
                  "choose a MOSFET for logic-level drive",
                  "Why fit a pull-down resistor from gate to source?",
                  "So that the gate cannot float and turn the MOSFET partly on when the driver is absent."),
            topic("JFETs and handling",
                  "The junction FET is a depletion device: it conducts with zero gate voltage, and a "
                  "negative gate voltage pinches the channel off. JFETs make quiet amplifiers and simple "
                  "current sources. All FETs, MOSFETs above all, can be destroyed by static electricity, "
                  "so handle them on an earthed mat and keep them in conductive foam.",
                  "IDSS = drain current at VGS = 0",
                  "A JFET with IDSS = 5 mA, its gate tied to its source, passes a constant 5 mA over a "
                  "wide range of drain voltages.",
                  "describe depletion devices and static precautions",
                  "Does a JFET conduct with its gate at the source voltage?",
                  "Yes, it passes its full drain current IDSS."),
        ],
        "gloss": [("gate", "Gate", "grille"),
                  ("field-effect transistor", "Feldeffekttransistor", "transistor à effet de champ")],
    },
    {
        "title": "Transistor amplifiers",
        "short": "Transistor amplifiers",
        "intro": "A transistor biased in its active region amplifies small signals. This module shows "
                 "how to bias a common-emitter stage, calculate its gain, couple stages together and "
                 "keep distortion low.",
        "topics": [
            topic("Biasing the common-emitter stage",
                  "An amplifier transistor must sit in its active region, with the collector roughly "
                  "halfway between the supply and ground, so that the signal can swing both ways. A "
                  "voltage divider on the base and a resistor in the emitter set this operating point "
                  "and make it almost independent of the transistor's gain.",
                  "VE = VB − 0.7;   IC ≈ IE = VE / RE",
                  "A divider sets the base at 2.2 V with a 1.5 kΩ emitter resistor, so VE = 1.5 V and "
                  "IC = 1 mA. With a 4.7 kΩ collector resistor on 12 V the collector sits at "
                  "12 − 4.7 = 7.3 V.",
                  "bias a common-emitter amplifier",
                  "What collector current flows with the base at 1.7 V and a 1 kilohm emitter resistor?",
                  "The emitter sits at 1.0 V, so about 1 mA."),
            topic("Voltage gain",
                  "The voltage gain of a common-emitter stage with an unbypassed emitter resistor is "
                  "close to the ratio of the collector resistor to the emitter resistor. The output is "
                  "inverted: when the input rises, the output falls. Bypassing the emitter resistor with "
                  "a capacitor raises the gain greatly but makes it depend on the transistor.",
                  "Av ≈ − RC / RE",
                  "With RC = 4.7 kΩ and RE = 470 Ω the gain is about −10: a 50 mV input gives a 0.5 V "
                  "output, inverted.",
                  "estimate the voltage gain of a common-emitter stage",
                  "What gain do a 10 kilohm collector resistor and a 1 kilohm emitter resistor give?",
                  "About −10."),
            topic("Coupling and input impedance",
                  "Coupling capacitors pass the signal from stage to stage while blocking the DC bias "
                  "voltages. Each capacitor forms a high-pass filter with the input resistance of the "
                  "following stage, so its reactance must be small at the lowest frequency of interest.",
                  "fc = 1 / (2π Rin C)",
                  "With a stage input resistance of 10 kΩ, a 1 µF coupling capacitor gives "
                  "fc = 1 ÷ (6.283 × 10 000 × 10⁻⁶) = 16 Hz, fine for audio.",
                  "choose coupling capacitors",
                  "What happens to the low notes if the coupling capacitor is too small?",
                  "They are weakened, since the cut-off frequency rises."),
            topic("Emitter followers and distortion",
                  "The common-collector stage, or emitter follower, has a voltage gain just below one, a "
                  "high input impedance and a low output impedance, so it buffers a signal to drive a "
                  "load. Distortion appears when the signal drives the transistor into cut-off or "
                  "saturation: the peaks of the output are clipped.",
                  "Av ≈ 1;   Rin ≈ hFE × RE",
                  "An emitter follower with hFE = 200 and RE = 1 kΩ has an input resistance of about "
                  "200 kΩ.",
                  "use an emitter follower as a buffer",
                  "Does an emitter follower invert the signal?",
                  "No, the output follows the input in phase."),
        ],
        "gloss": [("amplifier", "Verstärker", "amplificateur"), ("gain", "Verstärkung", "gain")],
    },
    {
        "title": "Operational amplifiers",
        "short": "Operational amplifiers",
        "intro": "An operational amplifier is a complete high-gain amplifier in one chip. With two or "
                 "three resistors it becomes an inverting or non-inverting amplifier, a summer, a "
                 "comparator or a filter. This module introduces the two golden rules and the standard "
                 "circuits.",
        "topics": [
            topic("The ideal op-amp",
                  "An op-amp amplifies the difference between its non-inverting (+) and inverting (−) "
                  "inputs by a huge open-loop gain, often 100 000 or more. With negative feedback from "
                  "the output to the inverting input, two golden rules hold: no current flows into the "
                  "inputs, and the output does whatever it takes to make the two input voltages equal.",
                  "Vout = A × (V+ − V−)",
                  "With an open-loop gain of 100 000, an output of 5 V needs a difference between the "
                  "inputs of only 50 µV.",
                  "state the golden rules of op-amps",
                  "With negative feedback, what is the voltage between the inputs?",
                  "Practically zero."),
            topic("The inverting amplifier",
                  "In the inverting amplifier the input signal feeds the inverting input through Rin, and "
                  "the feedback resistor Rf runs from the output back to the same input. The "
                  "non-inverting input is grounded, so the inverting input is a virtual earth. The gain "
                  "is set by the two resistors alone.",
                  "Av = − Rf / Rin",
                  "With Rin = 10 kΩ and Rf = 47 kΩ the gain is −4.7: a 0.2 V input gives −0.94 V.",
                  "design an inverting amplifier",
                  "What input resistance does this amplifier present to the source?",
                  "Rin, here 10 kilohms, since the inverting input is a virtual earth."),
            topic("The non-inverting amplifier and the follower",
                  "In the non-inverting amplifier the signal drives the + input directly and a divider "
                  "feeds a fraction of the output back to the − input. The gain is never less than one "
                  "and the input impedance is very high. With the output tied straight to the − input "
                  "the gain is exactly one: the voltage follower.",
                  "Av = 1 + Rf / Rg",
                  "Rf = 9.1 kΩ and Rg = 1 kΩ give a gain of 10.1; a 100 mV signal becomes 1.01 V.",
                  "design a non-inverting amplifier",
                  "What gain do Rf = 22 kilohms and Rg = 2.2 kilohms give?",
                  "1 + 10 = 11."),
            topic("Comparators and real limits",
                  "Without feedback, an op-amp's output swings to one supply rail or the other depending "
                  "on which input is higher: a comparator. Real op-amps have limits: the output cannot "
                  "quite reach the rails, the gain falls with frequency so that the gain-bandwidth "
                  "product stays constant, and the output can change only as fast as the slew rate "
                  "allows.",
                  "bandwidth = GBW / closed-loop gain",
                  "An op-amp with a gain-bandwidth product of 1 MHz, set for a gain of 100, has a "
                  "bandwidth of 10 kHz.",
                  "recognise the limits of real op-amps",
                  "What bandwidth does an op-amp with a 10 MHz gain-bandwidth product give at a gain "
                  "of 20?",
                  "500 kHz."),
        ],
        "gloss": [("operational amplifier", "Operationsverstärker", "amplificateur opérationnel"),
                  ("feedback", "Rückkopplung", "contre-réaction")],
    },
    {
        "title": "Oscillators and the 555 timer",
        "short": "Oscillators",
        "intro": "An oscillator turns DC into a repeating waveform. Clocks, tone generators and radio "
                 "transmitters all need one. This module covers the conditions for oscillation, RC and "
                 "crystal oscillators, and the versatile 555 timer.",
        "topics": [
            topic("Conditions for oscillation",
                  "An amplifier oscillates when part of its output is fed back to its input in phase and "
                  "strongly enough to make up for the losses: the loop gain must be at least one and the "
                  "phase shift around the loop a whole number of cycles. A frequency-selective network "
                  "in the loop fixes the frequency.",
                  "loop gain A × β ≥ 1,   phase shift 0° or 360°",
                  "A Wien-bridge oscillator's network passes one third of the signal at its centre "
                  "frequency, so the amplifier needs a gain of at least 3.",
                  "state the conditions for oscillation",
                  "What happens if the loop gain is slightly below one?",
                  "The oscillation dies away."),
            topic("RC and crystal oscillators",
                  "RC oscillators such as the Wien bridge and the phase-shift oscillator are simple and "
                  "tuneable but drift with temperature. A quartz crystal behaves like a resonant circuit "
                  "with an extremely high Q, so crystal oscillators hold their frequency to a few parts "
                  "per million, good enough for clocks and microcontrollers.",
                  "Wien bridge: f = 1 / (2π R C)",
                  "A Wien bridge with 16 kΩ and 10 nF oscillates at 1 ÷ (6.283 × 16 000 × 10⁻⁸) = 995 Hz, "
                  "close to 1 kHz.",
                  "compare RC and crystal oscillators",
                  "How far can a clock running from a crystal accurate to 20 parts per million drift "
                  "in a day?",
                  "20 × 10⁻⁶ × 86 400 s = 1.7 s per day."),
            topic("The 555 as an astable",
                  "The 555 timer contains two comparators, a flip-flop and a discharge transistor. In "
                  "astable mode the timing capacitor charges through RA and RB to two thirds of the "
                  "supply, then discharges through RB alone to one third, over and over, giving a "
                  "rectangular wave at the output.",
                  "f = 1.44 / ((RA + 2 RB) × C)",
                  "RA = 1 kΩ, RB = 10 kΩ and C = 100 nF give f = 1.44 ÷ (21 000 × 10⁻⁷) = 686 Hz.",
                  "calculate the frequency of a 555 astable",
                  "What is the duty cycle of the astable in the example?",
                  "(RA + RB) ÷ (RA + 2 RB) = 11 ÷ 21, about 52 %."),
            topic("The 555 as a monostable",
                  "In monostable mode a short trigger pulse starts one output pulse of fixed length, set "
                  "by a resistor and a capacitor. The circuit then waits for the next trigger. "
                  "Monostables stretch short pulses, debounce switches and make simple delays.",
                  "t = 1.1 × R × C",
                  "R = 100 kΩ and C = 10 µF give a pulse of 1.1 × 100 000 × 10⁻⁵ = 1.1 s.",
                  "calculate the pulse length of a 555 monostable",
                  "What capacitor gives a 5 s pulse with a 470 kilohm resistor?",
                  "C = 5 ÷ (1.1 × 470 000), about 9.7 µF: use 10 µF."),
        ],
        "gloss": [("oscillator", "Oszillator", "oscillateur"), ("crystal", "Quarz", "quartz")],
    },
    {
        "title": "Number systems and logic gates",
        "short": "Logic gates",
        "intro": "Digital circuits work with two states, high and low, written 1 and 0. This module "
                 "introduces binary and hexadecimal numbers, the basic logic gates and their truth "
                 "tables, and the logic families that build them.",
        "topics": [
            topic("Binary and hexadecimal",
                  "In binary each digit, or bit, has a place value twice that of the one to its right: "
                  "1, 2, 4, 8, 16 and so on. Eight bits make a byte, with values from 0 to 255. "
                  "Hexadecimal groups four bits into one digit from 0 to 9 and A to F, so a byte is "
                  "written with two hex digits.",
                  "101101 (binary) = 32 + 8 + 4 + 1 = 45",
                  "The byte 11001010 is 128 + 64 + 8 + 2 = 202 in decimal and CA in hexadecimal.",
                  "convert between binary, decimal and hexadecimal",
                  "What is hexadecimal 3F in decimal?",
                  "3 × 16 + 15 = 63."),
            topic("AND, OR and NOT",
                  "An AND gate gives a 1 only when all its inputs are 1. An OR gate gives a 1 when at "
                  "least one input is 1. A NOT gate, or inverter, turns a 1 into a 0 and a 0 into a 1. "
                  "Every digital function can be built from these three.",
                  "AND: Q = A · B;   OR: Q = A + B;   NOT: Q = not A",
                  "A car's interior light should come on when the driver's door or the passenger's door "
                  "is open: an OR gate with one input from each door switch.",
                  "write the truth tables of AND, OR and NOT",
                  "What does a three-input AND gate output when its inputs are 1, 1 and 0?",
                  "0."),
            topic("NAND, NOR and XOR",
                  "NAND and NOR are AND and OR followed by an inverter. Each is universal: any logic "
                  "circuit can be built from NAND gates alone, which is why they are so common. The "
                  "exclusive-OR gate gives a 1 when its two inputs differ; it compares bits and forms "
                  "the sum in binary adders.",
                  "XOR: Q = 1 when A ≠ B",
                  "A NAND gate with its two inputs joined acts as an inverter: 0 gives 1 and 1 gives 0.",
                  "use NAND gates as universal building blocks",
                  "What does an XOR gate give for the inputs 1 and 1?",
                  "0."),
            topic("Logic families and levels",
                  "TTL chips such as the 74LS series run on 5 V and read any input above 2 V as a 1 and "
                  "below 0.8 V as a 0. CMOS chips such as the 74HC series draw almost no current when "
                  "idle and work over a range of supply voltages. Unused CMOS inputs must never be left "
                  "floating; tie them high or low.",
                  "74HC at 5 V: input high ≥ 3.5 V, input low ≤ 1.5 V",
                  "A 3.3 V microcontroller output at 3.2 V drives a 74HCT input safely, since HCT parts "
                  "accept TTL levels, but a 74HC input at 5 V needs at least 3.5 V.",
                  "match logic levels between families",
                  "Why must unused CMOS inputs be tied to a supply rail?",
                  "A floating input picks up noise, can switch at random and makes the chip draw extra "
                  "current."),
        ],
        "gloss": [("logic gate", "Gatter", "porte logique"), ("truth table", "Wahrheitstabelle",
                                                              "table de vérité")],
    },
    {
        "title": "Boolean algebra and combinational logic",
        "short": "Boolean algebra",
        "intro": "Boolean algebra describes logic circuits with equations that can be simplified before "
                 "anything is built. This module covers the rules of Boolean algebra, Karnaugh maps and "
                 "the standard combinational blocks: adders, decoders and multiplexers.",
        "topics": [
            topic("Boolean rules and De Morgan's theorem",
                  "Boolean algebra has rules of its own: A · 1 = A, A + 1 = 1, A · A = A and "
                  "A + A · B = A. De Morgan's theorem converts between AND and OR: the inverse of a "
                  "product is the sum of the inverses, and the inverse of a sum is the product of the "
                  "inverses. It explains why a NAND gate is an OR gate with inverted inputs.",
                  "not (A · B) = not A + not B;   not (A + B) = not A · not B",
                  "The expression A · B + A · not B simplifies to A · (B + not B) = A · 1 = A: the output "
                  "does not depend on B at all.",
                  "simplify logic expressions with Boolean rules",
                  "Simplify A + A · B.",
                  "A."),
            topic("Truth tables and Karnaugh maps",
                  "Any logic function can be written from its truth table as a sum of products, one term "
                  "for each row with a 1 output. A Karnaugh map arranges the same table so that "
                  "neighbouring cells differ in one variable only; grouping adjacent 1s in blocks of 1, "
                  "2, 4 or 8 gives the simplest expression.",
                  "",
                  "A majority voter gives 1 when at least two of A, B and C are 1. The Karnaugh map gives "
                  "Q = A · B + A · C + B · C: three two-input AND gates and one three-input OR gate.",
                  "derive and simplify a function with a Karnaugh map",
                  "How many rows has the truth table of a function of four inputs?",
                  "16, since 2 × 2 × 2 × 2 = 16."),
            topic("Adders",
                  "A half adder adds two bits: the sum is A XOR B and the carry is A AND B. A full adder "
                  "also takes a carry in from the previous column. Chaining full adders, each carry out "
                  "feeding the next carry in, gives a ripple-carry adder of any width.",
                  "sum = A ⊕ B ⊕ Cin;   Cout = A · B + Cin · (A ⊕ B)",
                  "Adding 0110 (6) and 0111 (7) column by column from the right: 0 + 1 = 1; 1 + 1 = 0 "
                  "carry 1; 1 + 1 + 1 = 1 carry 1; 0 + 0 + 1 = 1. The result is 1101, which is 13.",
                  "build a binary adder from full adders",
                  "How many full adders does an 8-bit ripple-carry adder need?",
                  "Eight, or seven full adders and one half adder for the lowest bit."),
            topic("Decoders and multiplexers",
                  "A decoder turns a binary code into one active output out of many: a 3-to-8 decoder "
                  "such as the 74HC138 selects one of eight chips from three address lines. A "
                  "multiplexer does the opposite job for data: its select inputs choose which of several "
                  "inputs reaches the single output.",
                  "n select lines choose one of 2ⁿ inputs",
                  "A 4-to-1 multiplexer with the select inputs S1 = 1 and S0 = 0 passes input 2 to its "
                  "output.",
                  "use decoders and multiplexers",
                  "How many select lines does a 16-to-1 multiplexer need?",
                  "Four."),
        ],
        "gloss": [("adder", "Addierer", "additionneur"), ("multiplexer", "Multiplexer", "multiplexeur")],
    },
    {
        "title": "Flip-flops, counters and registers",
        "short": "Flip-flops and counters",
        "intro": "Combinational logic has no memory; sequential logic does. This module builds memory "
                 "from gates, introduces the clocked D and JK flip-flops, and uses them in counters, "
                 "frequency dividers and shift registers.",
        "topics": [
            topic("Latches",
                  "Two cross-coupled NOR or NAND gates form an SR latch: a pulse on Set makes the output "
                  "1, and it stays 1 after the pulse ends, until a pulse on Reset clears it. The latch "
                  "remembers one bit. Debouncing a switch is a classic use.",
                  "",
                  "A burglar alarm uses an SR latch: a door contact sets it, and the alarm keeps sounding "
                  "after the door is closed again, until the owner presses Reset.",
                  "explain how a latch stores one bit",
                  "Which input combination is forbidden for a NOR SR latch?",
                  "Set and Reset both at 1 at the same time."),
            topic("D and JK flip-flops",
                  "A D flip-flop copies its D input to its Q output at the rising edge of the clock and "
                  "holds it until the next edge. A JK flip-flop holds, sets, resets or toggles depending "
                  "on J and K. Because they change only at clock edges, flip-flops let a whole system "
                  "change state in step.",
                  "D flip-flop: Q after the clock edge = D",
                  "A D flip-flop with D = 1 ignores any changes of D between clock edges; its output "
                  "turns 1 only at the next rising edge.",
                  "describe D and JK flip-flops",
                  "What does a JK flip-flop do with J = K = 1?",
                  "It toggles at every clock edge."),
            topic("Counters and frequency dividers",
                  "A toggling flip-flop halves the frequency of its clock. A chain of n of them is a "
                  "binary counter that counts from 0 to 2ⁿ − 1 and divides the clock frequency by 2ⁿ. "
                  "Synchronous counters clock every stage at once and avoid the ripple delays of simple "
                  "chained counters.",
                  "fout = fclock / 2ⁿ",
                  "A 32 768 Hz watch crystal divided by a chain of 15 flip-flops gives exactly 1 Hz, the "
                  "tick of a clock.",
                  "design a counter as a frequency divider",
                  "What is the highest count of a 4-bit binary counter?",
                  "15."),
            topic("Shift registers",
                  "A shift register is a row of D flip-flops, each output feeding the next input, so that "
                  "every clock pulse moves the stored bits one place along. It converts serial data to "
                  "parallel and back: a 74HC595 lets a microcontroller drive eight outputs from three "
                  "pins.",
                  "",
                  "Shifting 1011 into an empty 4-bit register, most significant bit first, takes four "
                  "clock pulses; after them the parallel outputs read 1011.",
                  "use a shift register for serial-to-parallel conversion",
                  "How many clock pulses move 8 bits into a 74HC595?",
                  "Eight, followed by one pulse on the latch clock."),
        ],
        "gloss": [("counter", "Zähler", "compteur"), ("clock", "Takt", "horloge")],
    },
    {
        "title": "Microcontrollers and interfacing",
        "short": "Microcontrollers",
        "intro": "A microcontroller puts a processor, memory and input and output circuits on one chip, "
                 "and replaces whole boards of logic with a program. This last module shows how a "
                 "microcontroller is built, how it reads inputs and drives outputs, and how it talks to "
                 "other chips.",
        "topics": [
            topic("Inside a microcontroller",
                  "A microcontroller contains a CPU, flash memory for the program, RAM for variables and "
                  "a set of peripherals: digital input and output pins, timers, an analogue-to-digital "
                  "converter and serial ports. A crystal or an internal oscillator provides the clock, "
                  "and the program runs from reset in an endless loop.",
                  "",
                  "A small 8-bit part might have 32 KB of flash, 2 KB of RAM, 23 input and output pins "
                  "and a 16 MHz clock, enough to read sensors and drive a display.",
                  "name the main blocks of a microcontroller",
                  "Where is the program kept while the power is off?",
                  "In the flash memory."),
            topic("Digital inputs and outputs",
                  "Each pin can be set as an input or an output in software. An output pin can source or "
                  "sink a limited current, typically 20 mA: enough for an LED with a series resistor but "
                  "not for a motor or a relay, which need a transistor. An input needs a defined level: "
                  "enable the internal pull-up resistor or fit an external one.",
                  "R = (Vpin − VLED) / I",
                  "A 5 V output driving a green LED with a forward voltage of 2.2 V at 10 mA needs "
                  "(5 − 2.2) ÷ 0.01 = 280 Ω; use 270 Ω or 330 Ω.",
                  "connect LEDs and switches to a microcontroller",
                  "What does an input with a pull-up read while its button, wired to ground, is pressed?",
                  "0, a low level."),
            topic("Analogue inputs and PWM outputs",
                  "The analogue-to-digital converter turns a voltage into a number. A 10-bit converter "
                  "with a 5 V reference divides the range into 1024 steps of about 4.9 mV. For analogue "
                  "output, pulse-width modulation switches a pin on and off quickly; the average voltage "
                  "follows the duty cycle, which is enough to dim a lamp or set the speed of a motor.",
                  "reading = Vin / Vref × 1023;   Vaverage = duty cycle × Vsupply",
                  "A temperature sensor giving 0.75 V is read by a 10-bit converter with a 5 V reference "
                  "as 0.75 ÷ 5 × 1023 = 153.",
                  "read analogue voltages and use PWM",
                  "What average voltage does 25 % PWM give on a 12 V motor supply?",
                  "3 V."),
            topic("Serial communication",
                  "Microcontrollers talk to other chips and to computers over serial links. A UART sends "
                  "bytes framed by start and stop bits at an agreed baud rate. I²C uses two wires, clock "
                  "and data, shared by many devices with addresses. SPI uses a clock, two data lines and "
                  "a select line per device, and is the fastest of the three.",
                  "UART time per byte = 10 bits / baud rate",
                  "At 9600 baud each byte, with one start and one stop bit, takes 10 ÷ 9600 = 1.04 ms, so "
                  "about 960 bytes can be sent per second.",
                  "compare UART, I²C and SPI",
                  "How many wires does an I²C bus need besides ground?",
                  "Two: the clock line SCL and the data line SDA."),
        ],
        "gloss": [("microcontroller", "Mikrocontroller", "microcontrôleur"),
                  ("interface", "Schnittstelle", "interface")],
    },
]

NUMBER_WORDS = ["one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
                "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen",
                "eighteen", "nineteen", "twenty", "twenty-one", "twenty-two", "twenty-three",
                "twenty-four"]

# Tech tips: short workshop videos, one page each ("ttvNN.qx").
TECH_TIPS = [
    ("Soldering a through-hole joint",
     "Heat the pad and the lead together for two seconds, feed solder into the joint, not onto the "
     "iron, and let it cool without moving. A good joint is shiny and shaped like a small volcano."),
    ("Building on a breadboard",
     "The holes of each short row are joined inside the board; the long rails along the edges carry "
     "the supply. Keep leads short, colour-code the wires and lay the circuit out like its diagram."),
    ("Reading a datasheet",
     "Start with the absolute maximum ratings, then the electrical characteristics at your supply "
     "voltage. The typical application circuit on the last pages is often the quickest way in."),
    ("Measuring current safely",
     "Move the red lead to the current socket, start on the highest range and break the circuit to "
     "insert the meter. Move the lead back to the volts socket as soon as you are done."),
]

# Search words for the practice questions page: two per module, chosen from the review questions.
PRACTICE_PER_MODULE = 2
