-- What the shipped catalogue's projectors answer, one row per protocol of catalogue.sql, built
-- into Proj.qdb with it. Each row is a replies section as a .ondrel-model file carries it; its
-- "#" lines name the sources (public manuals and maintained control libraries) and stay with the
-- text, so an exported model carries them too. The format: src/core/projector/reply_rules.h.
--
-- Only facts an official manual or a maintained library states, or that are derived from such
-- a format with the checksum recomputed, are here; single unverified sources are left out.
-- Power codes begin with the state they mean (standby, warming up, on, cooling down) and input
-- codes use the catalogue's command words where they can: the virtual projector picks its
-- answers by them.

CREATE TABLE replies (
  protocalNumber INTEGER PRIMARY KEY,
  rules          TEXT NOT NULL
);

-- Protocol 1: Epson ESC/VP21.
INSERT INTO replies (protocalNumber, rules) VALUES (1, '
# Every reply ends with the prompt ":". A command that worked answers ":" alone, with no CR
# before it; a query answers KEY=VALUE<CR>:, a refused command ERR<CR>:. A null command (<CR>)
# answers ":". (ESC/VP21 Communication Manual (Home) p.4; pszafer/epson_projector issue #1,
# docs/PROTOCOL.md, projector_serial.py)
form = text
end = :
suffix = <CR>:
# PWR ON answers only when power-on has completed: within 40, 70 or 100 s (Business Projectors
# guide section 5 note 1; EB-Z10005U manual p.37). Waits of openhab EpsonProjectorDevice.java:
# power on 100 s, power off 130 s, others 5 s.
timeout = 5000
timeout On = 100000
timeout Off = 130000
late = On
query power = PWR?<CR>
query input = SOURCE?<CR>
query lamp = LAMP?<CR>
query error = ERR?<CR>
ack =
# Bad format, unknown, out of range, not possible in this state (standby accepts only PWR ON and a
# few queries) or not ready: ERR. (Business Projectors guide section 4.1)
refused = ERR -> refused: not possible now, unknown or out of range
# Power codes: openhab enums/PowerStatus.java; EB-Z10005U manual p.37; amosyuen/ha-epson-
# projector-link const.py POWER_CODE_MAP.
power = PWR={power:2}
power 00 = standby (network off)
power 01 = on
power 02 = warming up
power 03 = cooling down
power 04 = standby (network on)
power 05 = standby after an error
power 07 = standby (wireless HD)
power 09 = standby (A/V standby)
# Source codes as in SOURCE xx (EB-Z10005U manual p.37; tamu-vscl/pyVP21 vp21.py; amosyuen
# const.py SOURCE_CODE_MAP). A0 is HDMI 2 on home models, DVI-D on EB-Z models.
input = SOURCE={input:2}
input 11 = computer 1
input 14 = computer 1 (component)
input 1F = computer 1 (auto)
input 21 = computer 2
input 30 = HDMI 1
input 41 = composite video
input 42 = S-video
input 53 = LAN
input A0 = HDMI 2 (DVI-D on EB-Z models)
# Decimal hours (openhab queryInt("LAMP?"), radix 10).
lamp = LAMP={hours:d}
# Hex codes (openhab enums/ErrorMessage.java; amosyuen const.py PROPERTY_ERR_CODE_MAP). Models
# without ERR? answer ERR (amosyuen issue #100).
error = ERR={error:2}
error 00 = none
error 01 = fan
error 03 = lamp failure at power on
error 04 = high internal temperature
error 06 = lamp error
error 07 = lamp cover open
error 08 = cinema filter
error 09 = electric double-layer capacitor disconnected
error 0A = auto iris
error 0B = subsystem
error 0C = low air flow
error 0D = air-filter flow sensor
error 0E = power supply (ballast)
error 0F = shutter
error 10 = cooling (Peltier)
error 11 = cooling (pump)
error 12 = static iris
error 13 = ballast disagreement
error 14 = exhaust shutter
error 15 = obstacle detection
error 16 = IF board discernment
error 17 = stack-projection communication
error 18 = I2C
# Any other query: KEY=VALUE, several lines for some (pszafer docs/PROTOCOL.md: SNO?, AXESADJ?).
value = {key}={text:*} -> {key}: {text}
');

-- Protocol 2: NEC.
INSERT INTO replies (protocalNumber, rules) VALUES (2, '
# Reply = H1 H2 ID1 ID2 LEN DATA CKS. H1 is the command''s first byte with high nibble 2 (done)
# or A (failed), H2 its second byte, ID1 ID2 the projector ID and model code, LEN the number of
# data bytes, CKS the low byte of the sum of every byte before it. (VT695 Control Commands p.7
# notes 1-4; PX2000UL / NP-UM361X manual section 2.3 p.11)
form = binary
length = 6 + byte 4
start = 20 21 22 23 A0 A1 A2 A3
checksum = sum 0 -2
# No reply time is documented: the tool''s usual wait.
timeout = 5000
# RUNNING SENSE (VT695 Control Commands p.8); RUNNING STATUS on newer models (PX2000UL p.61).
query power = 00 81 00 00 00 81
query status = 00 85 00 00 01 01 87
query input = 00 85 00 00 01 02 88
query lamp = 03 96 00 00 02 00 01 9C
query error = 00 88 00 00 00 88
# Failure: A? H2 ID1 ID2 02 ERR1 ERR2 CKS (NP-UM361X / P554U manual p.11; VT695 p.13). Error codes:
# NP-M311W command manual p.56; NP-PX700W p.37; NP-V260X p.35. The virtual projector refuses with
# "execution error" while it warms up or cools down.
busy = =0|A0 =1 .. .. 02 02 0E .. -> refused: execution error
refused = =0|A0 =1 .. .. 02 {reason:2} .. -> refused: {reason}
reason 0000 = unknown command
reason 0001 = not supported by this model
reason 0100 = invalid value
reason 0101 = terminal unavailable or cannot be selected
reason 0102 = language not available
reason 0200 = memory reservation error
reason 0202 = operating memory
reason 0203 = setting not possible
reason 0204 = forced on-screen mute
reason 0207 = no signal
reason 0208 = test pattern or PC card displayed
reason 020A = memory operation failed
reason 020D = power off inhibited
reason 020E = execution error
reason 020F = no operation authority
reason 0300 = gain number wrong
reason 0301 = gain not available
reason 0302 = adjustment failed
# RUNNING SENSE D1: b7 power on/off in progress, b5 cooling, b1 power on, 0 idle (VT695 p.8;
# PlaceOS drivers/nec/np_series.cr process_power_status: warming is b7 with b1).
power = 20 81 .. .. 01 {sense} ..
sense 22/22 = cooling down (power bit still set)
sense 20/20 = cooling down
sense 82/82 = warming up
sense 80/82 = cooling down (power off in progress)
sense 02/02 = on
sense 00/00 = standby
# RUNNING STATUS D06 (PX2000UL manual p.61; NP-UM361X p.61; VT695 p.32).
status = 20 85 .. .. 10 .. .. .. .. .. {status} .. .. .. .. .. .. .. .. .. .. .. -> power: {status}
status 00 = standby
status 04 = on
status 05 = cooling down
status 06 = standby (error)
status 0F = standby (power saving)
status 10 = standby (network)
# INPUT STATUS D03 terminal number, D04 type: 01 computer, 02 video, 03 S-video, 21 HDMI; not the
# input-select codes (NP-M282X manual p.60; PH1000U p.62; PlaceOS np_series.cr).
input = 20 85 .. .. 10 .. .. {input:2} .. .. .. .. .. .. .. .. .. .. .. .. ..
input 0101 = computer 1
input 0201 = computer 2
input 0102 = composite video
input 0103 = S-video
input 0121 = HDMI 1
input 0221 = HDMI 2
# LAMP INFORMATION 3: lamp 1 use in seconds, little-endian (M363XG manual p.35; VT695 p.23).
lamp = 23 96 .. .. 06 00 01 {hours:le4/3600} ..
# ERROR STATUS D01 to D04, a bit per fault (VT695 Control Commands p.13; LT30 p.19; NP-V260X p.20).
error = 20 88 .. .. 0C {error:4} .. .. .. .. .. .. .. .. ..
error 00000000 = none
error bit 0 = lamp cover
error bit 1 = temperature (bimetal)
error bit 4 = fan
error bit 5 = power
error bit 6 = lamp
error bit 7 = lamp at end of life
error bit 8 = lamp used beyond its limit
error bit 9 = formatter
error bit 10 = lamp 2
error bit 17 = FPGA
error bit 18 = temperature (sensor)
error bit 19 = lamp housing
error bit 20 = lamp data
error bit 21 = mirror cover
error bit 22 = lamp 2 at end of life
error bit 23 = lamp 2 used beyond its limit
error bit 24 = lamp 2 housing
error bit 25 = lamp 2 data
error bit 26 = high temperature (dust)
error bit 27 = foreign object sensor
error bit 28 = pump
# Done: H1 H2 ID1 ID2 00 CKS, e.g. POWER ON: 22 00 ID1 ID2 00 CKS (VT695 Control Commands p.13).
ack = =0|20 =1 .. .. 00 ..
');

-- Protocol 3: Panasonic.
INSERT INTO replies (protocalNumber, rules) VALUES (3, '
# Serial replies are STX ... ETX with no CR. A command is answered by its "callback", the command
# itself; a query by its value alone. (Panasonic Projector RS-232C Control Specifications, PT-FW300
# series, p.3; PT-D10000 spec p.4; RS-232 Protocol for LCD Projector PT-L711/L701/L511/L501
# sections 5.50, 5.72) The callback of PON and POF does not mean done: ask the power state.
form = text
start = <STX>
end = <ETX>
echo = answer
# No reply time is documented: the tool''s usual wait.
timeout = 5000
# Q$S tells warming and cooling; QPW only on or standby (PT-CW331RE manual p.69; PT-LX271 spec
# p.10; PT-VW345NZ p.12; PlaceOS drivers/panasonic/projector/nt_control.cr).
query power = <STX>Q$S<ETX>
query onoff = <STX>QPW<ETX>
query input = <STX>QIN<ETX>
query lamp = <STX>Q$L<ETX>
# ER401: unknown (lower-case letters too), or not possible now (REMOTE restriction, wrong input,
# state); ER402: bad parameter. (PT-L711 protocol section 3.2; PT-D10000 p.4; PT-FW300 spec p.31;
# PT-LX271 spec p.10)
refused = ER401 -> refused: not possible now, or unknown command
refused = ER402 -> refused: bad parameter
ack = {echo}
power = {power:1}
power 0 = standby
power 1 = warming up (lamp on control)
power 2 = on
power 3 = cooling down (lamp off control)
onoff = {onoff:3} -> power: {onoff}
onoff 000 = standby
onoff 001 = on
# The same names as the IIS parameters (PT-L711 section 5.50; PT-DW530U manual p.84).
input = {input:3}
input VID = composite video
input SVD = S-video
input RG1 = computer 1
input RG2 = computer 2
input HD1 = HDMI 1
input DVI = DVI
input NWP = network
# Four decimal digits, hours; 0000 when the runtime cannot be read (PT-L711 section 5.72;
# PT-FW300 spec p.42).
lamp = {hours:4d}
');

-- Protocol 4: Sanyo PLC (basic serial commands).
INSERT INTO replies (protocalNumber, rules) VALUES (4, '
# A functional command answers ACK CR; one not acceptable now, or unknown, "?" CR; a status read
# its value and CR. (PLC-XE33 Basic Serial Command Specifications p.10; PDG-DWL100 Basic p.9;
# PLC-XU106 Basic p.21; PLC-XM100 Basic p.27)
form = text
end = <CR>
# A reply takes a few ms up to 5 s (PLC-XL50 Expand p.8).
timeout = 5000
query power = CR0<CR>
query input = CR1<CR>
query lamp = CR3<CR>
ack = <ACK>
refused = ? -> refused: not possible now, or unknown command
# CR0 (PLC-XU106 Basic p.21; PLC-XC50/55 Basic p.22; PLC-WM4500 Basic p.22). Error states:
# 10, 28, 88, 21, 81.
power = {power:2}
power 00 = on
power 80 = standby
power 40 = warming up (countdown)
power 20 = cooling down
power 10 = power failure (error)
power 28 = cooling down after a temperature anomaly (error)
power 88 = standby after a temperature anomaly (error)
power 24 = cooling down (power save)
power 04 = standby (power save)
power 21 = cooling down after a lamp failure (error)
power 81 = standby after a lamp failure (error)
# CR1: the input number; which connector it is depends on the model (PLC-XM100 Basic p.27).
input = {input:1}
input 1 = input 1
input 2 = input 2
input 3 = input 3
input 4 = input 4
# CR3: five digits, the lamp time times a coefficient (PLC-XM100 Basic p.27).
lamp = {hours:5d}
');

-- Protocol 5: Sony VPL.
INSERT INTO replies (protocalNumber, rules) VALUES (5, '
# Every reply is 8 bytes A9 B1 B2 B3 B4 B5 CS 9A, CS the OR of B1 to B5; B3 03 answers a SET
# (ACK or NAK code in B1 B2), B3 02 a GET (item, then data high byte first). (VPL-VW85 protocol
# manual section 3-6 p.13; openhab sonyprojector SonyProjectorSerialConnector.java)
form = binary
length = 8
start = A9
checksum = or 1 5
# openhab reads with a 3.5 s time-out.
timeout = 3500
# The catalogue''s On, Off and Menu are infrared-remote codes: never answered (VPL-EW130 protocol
# manual section 3-3/3-4 p.8; openhab SonyProjectorConnector.java sendIR).
silent = On Off Menu
query power = A9 01 02 01 00 00 03 9A
query input = A9 00 01 01 00 00 01 9A
query lamp = A9 01 13 01 00 00 13 9A
query error = A9 01 01 01 00 00 01 9A
# ACK and NAK codes: VPL-PX35/PX40/FX51 protocol p.24 Table 3; openhab SonyProjectorSerialError.java.
ack = A9 00 00 03 00 00 03 9A
busy = A9 01 0A 03 00 00 .. 9A -> refused: not applicable
refused = A9 {nak:2} 03 00 00 .. 9A -> refused: {nak}
nak 0101 = undefined command
nak 0104 = size error
nak 0105 = select error
nak 0106 = range over
nak 010A = not applicable
nak F010 = checksum error
nak F020 = framing error
nak F030 = parity error
nak F040 = overrun error
nak F050 = other communication error
# Status power (VPL-VW50 protocol p.8; VPL-VW100 p.20; openhab SonyProjectorStatusPower.java).
power = A9 01 02 02 00 {power} .. 9A
power 00 = standby
power 01 = warming up (start up)
power 02 = warming up (lamp starting)
power 03 = on
power 04 = cooling down (cooling 1)
power 05 = cooling down (cooling 2)
power 06 = cooling down (saving cooling 1)
power 07 = cooling down (saving cooling 2)
power 08 = standby (saving standby)
# Input codes as in the catalogue''s input commands (openhab SonyProjectorItem.java; VPL-VW40/VW60
# Table 2).
input = A9 00 01 02 00 {input} .. 9A
input 00 = composite video
input 01 = S-video
input 02 = computer 1 (input A)
input 04 = HDMI 1
input 05 = HDMI 2
# Lamp timer, hours high byte first (VPL-VW50 p.8 note 1; openhab convertDataToInt).
lamp = A9 01 13 02 {hours:be2} .. 9A
# Status error, a bit per fault (VPL-VW100 p.20; VPL-VW50 p.8).
error = A9 01 01 02 00 {error} .. 9A
error 00 = none
error bit 0 = lamp
error bit 1 = fan
error bit 2 = cover
error bit 3 = temperature
error bit 4 = D5V
error bit 5 = power
error bit 6 = temperature warning
error bit 7 = NVM data
');

-- Protocol 6: Hitachi.
INSERT INTO replies (protocalNumber, rules) VALUES (6, '
# Short replies without a frame or CRC: 06 ACK; 15 NAK, not understood; 1C 00 00 cannot be done
# now; 1D lo hi the data of a GET, low byte first; 1F busy (documented for network control).
# (CP-WU13K manual p.66; CP-D10 manual p.103; CP-X253 manual p.8; CP-X3014WN p.65) Commands are
# not accepted during warm-up.
form = binary
length = first 06:1 15:1 1C:3 1D:3 1F:3
# No reply time is documented: the tool''s usual wait.
timeout = 5000
query power = BE EF 03 06 00 19 D3 02 00 00 60 00 00
query input = BE EF 03 06 00 CD D2 02 00 00 20 00 00
query lamp = BE EF 03 06 00 C2 FF 02 00 90 10 00 00
query error = BE EF 03 06 00 D9 D8 02 00 20 60 00 00
ack = 06
refused = 15 -> refused: not understood (NAK)
busy = 1C 00 00 -> refused: cannot be done now
busy = 1F .. .. -> refused: busy
# GET replies (CP-X253 p.8; X1250 technical p.14; PlaceOS drivers/hitachi/projector/
# cp_tw_series_basic.cr).
power = 1D {power:2}
power 0000 = standby
power 0100 = on
power 0200 = cooling down
input = 1D {input:2}
input 0000 = computer 1
input 0400 = computer 2
input 0100 = composite video
input 0200 = S-video
input 0300 = HDMI 1
input 0D00 = HDMI 2
# Hours, low byte first (byte order from the CP-X253 p.8 examples; PlaceOS multiplies the two
# bytes, which is wrong).
lamp = 1D {hours:le2}
error = 1D {error:2}
error 0000 = none
error 0100 = cover
error 0200 = fan
error 0300 = lamp
error 0400 = temperature
error 0500 = air flow
error 0600 = lamp time over
error 0700 = cool
error 0800 = filter
error 0900 = filter missing
');

-- Protocol 7: BenQ.
INSERT INTO replies (protocalNumber, rules) VALUES (7, '
# Over a serial line the projector prints the prompt ">", echoes the command as sent, then
# answers in capitals on a line of its own: >*pow=?#<CR><CR><LF>*POW=OFF#<CR><LF>. A reply ends
# at "#", CR, LF or NUL. (arendst/Tasmota issue #15841; rrooggiieerr/benqprojector.py quirks.md,
# benqprojector.py END_OF_RESPONSE)
form = text
end = #<CR><LF><NUL>
prompt = >*
prefix = <CR><LF>*
suffix = #<CR><LF>
echo = always
# No reply time is documented: the tool''s usual wait.
timeout = 5000
query power = <CR>*pow=?#<CR>
query input = <CR>*sour=?#<CR>
query lamp = <CR>*ltim=?#<CR>
# BenQ LW500 RS232 control manual p.10; HT3550 guide p.8; Tasmota #15841; JohnBrodie/pyjector
# issue #1; rrooggiieerr/homeassistant-benqprojector issue #2. Some models drop "*" and "#".
refused = Illegal format -> refused: illegal format
refused = Unsupported item -> refused: not supported by this model
busy = {key}=Block item -> refused: blocked now (standby, or switching on or off)
busy = Block item -> refused: blocked now (standby, or switching on or off)
power = POW={power}
power ON = on
power OFF = standby (off)
# Source names as in the sour= commands, case varies (LW500 p.10; openhab benqprojector
# BenqProjectorDevice.java).
input = SOUR={input}
input RGB = computer 1
input RGB2 = computer 2
input vid = composite video
input svid = S-video
input hdmi = HDMI 1
input hdmi2 = HDMI 2
# Decimal hours, some models with a blank (benqprojector.py quirks.md, tests).
lamp = LTIM={hours:d}
# A command that was done is answered with itself in capitals (Tasmota #15841).
ack = {echo:upper}
value = {key}={value:*} -> {key}: {value}
');

-- Protocol 8: Optoma.
INSERT INTO replies (protocalNumber, rules) VALUES (8, '
# Replies are lines ending in CR: P (pass) or F (fail) to a command; a read answers with OK and
# its value, on some models after a P. INFOn lines arrive unasked. Case varies (Ok/OK).
# (EP783S RS232 command table; HD66 manual p.49; ES515 guide p.56; EW615i manual p.64; HD75 manual
# p.50; grapefrukt/esphome-optoma esphome-projector.yaml, issue #3)
form = text
end = <CR>
# No reply time is documented: the tool''s usual wait.
timeout = 5000
query power = ~00124 1<CR>
query input = ~00121 1<CR>
query lamp = ~00108 1<CR>
ack = P -> acknowledged (pass)
refused = F -> refused (fail)
event = INFO{info:1} -> projector reports: {info}
info 0 = standby
info 1 = warming up
info 2 = cooling down
info 3 = out of range
info 4 = lamp failure
info 6 = fan lock
info 7 = over temperature
info 8 = lamp hours running out
info 9 = cover open
# OK0 off, OK1 on: no warming or cooling value (EW615i p.64; W351 manual p.69).
power = OK{power:1}
power 0 = standby (off)
power 1 = on
# Model-specific; these are the W351''s (W351 manual p.69).
input = OK{input}
input 0 = none
input 1 = computer 1 (VGA 1)
input 2 = computer 2 (VGA 2)
input 3 = composite video
input 4 = S-video
input 5 = HDMI 1
lamp = OK{hours:4d}
');

-- Protocol 9: ViewSonic PJD.
INSERT INTO replies (protocalNumber, rules) VALUES (9, '
# Reply = T 14 00 LL LH payload CS: LL LH the payload length, CS the low byte of the sum of every
# byte but the first. A write is answered 03 14 00 00 00 14, a read 05 14 00 LL LH 00 00 data CS.
# (ViewSonic LS625W user guide p.57; LS700HD p.69; ElTinmar/ViewSonicProjectorRS232
# viewsonic_serial.py)
form = binary
length = 6 + le16 3
start = 00 03 05
checksum = sum 1 -2
# No reply time is documented: the tool''s usual wait.
timeout = 5000
query power = 07 14 00 05 00 34 00 00 11 00 5E
# Projector status tells warming and cooling (LS625W p.57; not documented for the PJD models).
query status = 07 14 00 05 00 34 00 00 11 26 84
query input = 07 14 00 05 00 34 00 00 13 01 61
query lamp = 07 14 00 05 00 34 00 00 15 01 63
ack = 03 14 00 00 00 14
refused = 00 14 00 00 00 14 -> refused: function disabled or not available
power = 05 14 00 03 00 00 00 {power} ..
power 00 = standby (off)
power 01 = on
status = 05 14 00 03 00 00 00 {status} .. -> power: {status}
status 00 = standby (power down)
status 01 = warming up
status 02 = on
status 03 = cooling down
# Source codes as in the catalogue''s source commands (ElTinmar SourceInput).
input = 05 14 00 03 00 00 00 {input} ..
input 00 = computer 1
input 08 = computer 2
input 03 = HDMI 1
input 07 = HDMI 2
input 05 = composite video
input 06 = S-video
# Hours, little-endian (PJD5152/PJD5352 manual p.60; ElTinmar get_light_source_usage_time).
lamp = 05 14 00 06 00 00 00 {hours:le4} ..
');
