-- The projector catalogue shipped beside the program as Proj.qdb. The build turns this text into
-- the SQLite file (tools/mkcatalogue); edit this file, never the generated one.
--
-- Command cells: decimal byte values separated by single blanks; a command with an on and an
-- off string holds both, as "A / B". NULL where the protocol has no such command.
-- Each protocol below names the family it drives; README.md says how to add one.

-- Natural row order is the order the selection window lists the makers in: no index here.
CREATE TABLE Manufacturers (
  Manufacturer TEXT NOT NULL COLLATE NOCASE
);

CREATE TABLE make (
  manufacturer TEXT NOT NULL COLLATE NOCASE,
  model        TEXT NOT NULL COLLATE NOCASE,
  protocal     INTEGER NOT NULL,
  rs_232Setup  INTEGER NOT NULL,
  Present_As   INTEGER NOT NULL -- 1 ASCII, 2 hexadecimal
);
-- The model list (sorted by model) and the model lookup both go by maker, then model.
CREATE INDEX make_by_maker ON make (manufacturer, model);

CREATE TABLE CommSettup (
  rs_232Option INTEGER PRIMARY KEY,
  baudRate     INTEGER NOT NULL,
  bits         INTEGER NOT NULL,
  stopBits     INTEGER NOT NULL,
  parity       TEXT NOT NULL -- NONE, EVEN or ODD
);

CREATE TABLE protocal (
  protocalNumber    INTEGER PRIMARY KEY,
  "On"              TEXT,
  "Off"             TEXT,
  "Volume_Up"       TEXT,
  "Composite_Video" TEXT,
  "Computer_1"      TEXT,
  "Black_Screen"    TEXT,
  "Volume_Down"     TEXT,
  "S_Video"         TEXT,
  "Computer_2"      TEXT,
  "Auto_Image"      TEXT,
  "HDMI_1"          TEXT,
  "HDMI_2"          TEXT,
  "Freeze"          TEXT,
  "Mute_Audio"      TEXT,
  "Menu"            TEXT
);

-- The ten default commands first, in the order of the buttons they go to, then the extras.
-- mask: o On, f Off, s Source, m Momentary, d Toggle (on and off string).
CREATE TABLE available (
  Commands TEXT NOT NULL COLLATE NOCASE,
  mask     TEXT NOT NULL
);

INSERT INTO available (Commands, mask) VALUES
  ('On', 'o'),
  ('Off', 'f'),
  ('Volume_Up', 'm'),
  ('Composite_Video', 's'),
  ('Computer_1', 's'),
  ('Black_Screen', 'd'),
  ('Volume_Down', 'm'),
  ('S_Video', 's'),
  ('Computer_2', 's'),
  ('Auto_Image', 'm'),
  ('HDMI_1', 's'),
  ('HDMI_2', 's'),
  ('Freeze', 'd'),
  ('Mute_Audio', 'd'),
  ('Menu', 'm');

-- Serial settings; every family uses 8 data bits and 1 stop bit.
INSERT INTO CommSettup (rs_232Option, baudRate, bits, stopBits, parity) VALUES
  (1, 9600, 8, 1, 'NONE'),
  (2, 19200, 8, 1, 'NONE'),
  (3, 38400, 8, 1, 'NONE'),
  (4, 38400, 8, 1, 'EVEN'),
  (5, 115200, 8, 1, 'NONE');

INSERT INTO Manufacturers (Manufacturer) VALUES
  ('BenQ'),
  ('Epson'),
  ('Hitachi'),
  ('NEC'),
  ('Optoma'),
  ('Panasonic'),
  ('Sanyo'),
  ('Sony'),
  ('ViewSonic');

-- Protocol 1: Epson ESC/VP21, ASCII, each command ends with CR.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (1,
  '80 87 82 32 79 78 13',
  '80 87 82 32 79 70 70 13',
  '86 79 76 32 73 78 67 13',
  '83 79 85 82 67 69 32 52 49 13',
  '83 79 85 82 67 69 32 49 49 13',
  '77 85 84 69 32 79 78 13 / 77 85 84 69 32 79 70 70 13',
  '86 79 76 32 68 69 67 13',
  '83 79 85 82 67 69 32 52 50 13',
  '83 79 85 82 67 69 32 50 49 13',
  NULL,
  '83 79 85 82 67 69 32 51 48 13',
  '83 79 85 82 67 69 32 65 48 13',
  '70 82 69 69 90 69 32 79 78 13 / 70 82 69 69 90 69 32 79 70 70 13',
  NULL,
  NULL);

-- Protocol 2: NEC, binary; the last byte is the low byte of the sum of the others.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (2,
  '2 0 0 0 0 2',
  '2 1 0 0 0 3',
  '2 15 0 0 2 132 0 151',
  '2 3 0 0 2 1 6 14',
  '2 3 0 0 2 1 1 9',
  '2 16 0 0 0 18 / 2 17 0 0 0 19',
  '2 15 0 0 2 133 0 152',
  '2 3 0 0 2 1 11 19',
  '2 3 0 0 2 1 2 10',
  '2 15 0 0 2 5 0 24',
  '2 3 0 0 2 1 161 169',
  '2 3 0 0 2 1 162 170',
  NULL,
  '2 18 0 0 0 20 / 2 19 0 0 0 21',
  '2 15 0 0 2 6 0 25');

-- Protocol 3: Panasonic, ASCII framed by STX (2) and ETX (3).
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (3,
  '2 80 79 78 3',
  '2 80 79 70 3',
  '2 65 85 85 3',
  '2 73 73 83 58 86 73 68 3',
  '2 73 73 83 58 82 71 49 3',
  '2 79 83 72 58 49 3 / 2 79 83 72 58 48 3',
  '2 65 85 68 3',
  '2 73 73 83 58 83 86 68 3',
  '2 73 73 83 58 82 71 50 3',
  '2 79 65 83 3',
  '2 73 73 83 58 72 68 49 3',
  NULL,
  '2 79 70 90 58 49 3 / 2 79 70 90 58 48 3',
  '2 65 77 84 58 49 3 / 2 65 77 84 58 48 3',
  NULL);

-- Protocol 4: Sanyo PLC business models, ASCII "Cxx" and CR.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (4,
  '67 48 48 13',
  '67 48 49 13',
  '67 48 57 13',
  '67 51 51 13',
  '67 48 53 13',
  '67 48 68 13 / 67 48 69 13',
  '67 48 65 13',
  '67 51 52 13',
  '67 48 54 13',
  '67 56 57 13',
  '67 52 70 13',
  NULL,
  NULL,
  '67 48 66 13 / 67 48 67 13',
  '67 49 67 13');

-- Protocol 5: Sony VPL home cinema, binary frame A9 item type data checksum 9A. These models
-- have no volume, audio mute, auto adjustment or second computer input.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (5,
  '169 23 46 0 0 0 63 154',
  '169 23 47 0 0 0 63 154',
  NULL,
  '169 0 1 0 0 0 1 154',
  '169 0 1 0 0 2 3 154',
  '169 0 48 0 0 1 49 154 / 169 0 48 0 0 0 48 154',
  NULL,
  '169 0 1 0 0 1 1 154',
  NULL,
  NULL,
  '169 0 1 0 0 4 5 154',
  '169 0 1 0 0 5 5 154',
  NULL,
  NULL,
  '169 23 41 0 0 0 63 154');

-- Protocol 6: Hitachi, binary 13-byte frames starting 190 239 3 6 0 (BE EF 03 06 00) with a
-- CRC over the data bytes. Volume applies to the COMPUTER1 input.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (6,
  '190 239 3 6 0 186 210 1 0 0 96 1 0',
  '190 239 3 6 0 42 211 1 0 0 96 0 0',
  '190 239 3 6 0 171 204 4 0 96 32 0 0',
  '190 239 3 6 0 110 211 1 0 0 32 1 0',
  '190 239 3 6 0 254 210 1 0 0 32 0 0',
  '190 239 3 6 0 107 217 1 0 32 48 1 0 / 190 239 3 6 0 251 216 1 0 32 48 0 0',
  '190 239 3 6 0 122 205 5 0 96 32 0 0',
  '190 239 3 6 0 158 211 1 0 0 32 2 0',
  '190 239 3 6 0 62 208 1 0 0 32 4 0',
  '190 239 3 6 0 145 208 6 0 10 32 0 0',
  '190 239 3 6 0 14 210 1 0 0 32 3 0',
  '190 239 3 6 0 110 214 1 0 0 32 13 0',
  '190 239 3 6 0 19 211 1 0 2 48 1 0 / 190 239 3 6 0 131 210 1 0 2 48 0 0',
  '190 239 3 6 0 214 210 1 0 2 32 1 0 / 190 239 3 6 0 70 211 1 0 2 32 0 0',
  NULL);

-- Protocol 7: BenQ, ASCII, each command between CRs: CR "*cmd#" CR.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (7,
  '13 42 112 111 119 61 111 110 35 13',
  '13 42 112 111 119 61 111 102 102 35 13',
  '13 42 118 111 108 61 43 35 13',
  '13 42 115 111 117 114 61 118 105 100 35 13',
  '13 42 115 111 117 114 61 82 71 66 35 13',
  '13 42 98 108 97 110 107 61 111 110 35 13 / 13 42 98 108 97 110 107 61 111 102 102 35 13',
  '13 42 118 111 108 61 45 35 13',
  '13 42 115 111 117 114 61 115 118 105 100 35 13',
  '13 42 115 111 117 114 61 82 71 66 50 35 13',
  '13 42 97 117 116 111 35 13',
  '13 42 115 111 117 114 61 104 100 109 105 35 13',
  '13 42 115 111 117 114 61 104 100 109 105 50 35 13',
  '13 42 102 114 101 101 122 101 61 111 110 35 13 / 13 42 102 114 101 101 122 101 61 111 102 102 35 13',
  '13 42 109 117 116 101 61 111 110 35 13 / 13 42 109 117 116 101 61 111 102 102 35 13',
  '13 42 109 101 110 117 61 111 110 35 13');

-- Protocol 8: Optoma, ASCII "~XXnn n" and CR; XX = 00 addresses every projector.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (8,
  '126 48 48 48 48 32 49 13',
  '126 48 48 48 48 32 50 13',
  '126 48 48 49 52 48 32 49 56 13',
  '126 48 48 49 50 32 49 48 13',
  '126 48 48 49 50 32 53 13',
  '126 48 48 48 50 32 49 13 / 126 48 48 48 50 32 50 13',
  '126 48 48 49 52 48 32 49 55 13',
  '126 48 48 49 50 32 57 13',
  '126 48 48 49 50 32 54 13',
  '126 48 48 48 49 32 49 13',
  '126 48 48 49 50 32 49 13',
  '126 48 48 49 50 32 49 53 13',
  '126 48 48 48 52 32 49 13 / 126 48 48 48 52 32 50 13',
  '126 48 48 48 51 32 49 13 / 126 48 48 48 51 32 50 13',
  '126 48 48 49 52 48 32 50 48 13');

-- Protocol 9: ViewSonic PJD, binary, common start 6 20 0 4 0; the last byte is the sum of every
-- byte but the first. The PJD62xx models speak another protocol and are not listed.
INSERT INTO protocal (protocalNumber, "On", "Off", "Volume_Up", "Composite_Video", "Computer_1",
  "Black_Screen", "Volume_Down", "S_Video", "Computer_2", "Auto_Image", "HDMI_1", "HDMI_2",
  "Freeze", "Mute_Audio", "Menu") VALUES (9,
  '6 20 0 4 0 52 17 0 0 93',
  '6 20 0 4 0 52 17 1 0 94',
  '6 20 0 4 0 52 20 1 0 97',
  '6 20 0 4 0 52 19 1 5 101',
  '6 20 0 4 0 52 19 1 0 96',
  '6 20 0 4 0 52 18 9 1 104 / 6 20 0 4 0 52 18 9 0 103',
  '6 20 0 4 0 52 20 2 0 98',
  '6 20 0 4 0 52 19 1 6 102',
  '6 20 0 4 0 52 19 1 8 104',
  '6 20 0 4 0 52 18 5 0 99',
  '6 20 0 4 0 52 19 1 3 99',
  '6 20 0 4 0 52 19 1 7 103',
  '6 20 0 4 0 52 19 0 1 96 / 6 20 0 4 0 52 19 0 0 95',
  '6 20 0 4 0 52 20 0 1 97 / 6 20 0 4 0 52 20 0 0 96',
  NULL);

-- Models: protocol, serial-settings option, presentation form.
INSERT INTO make (manufacturer, model, protocal, rs_232Setup, Present_As) VALUES
  ('Epson', 'EMP-61', 1, 1, 1),
  ('Epson', 'EMP-81', 1, 1, 1),
  ('Epson', 'EMP-S3', 1, 1, 1),
  ('Epson', 'EMP-600', 1, 1, 1),
  ('Epson', 'EMP-7950', 1, 1, 1),
  ('Epson', 'EB-85', 1, 1, 1),
  ('Epson', 'EH-TW420', 1, 1, 1),
  ('Epson', 'EH-TW3000', 1, 1, 1),
  ('Epson', 'PowerLite Home Cinema 8350', 1, 1, 1),
  ('NEC', 'VT695', 2, 2, 2),
  ('NEC', 'VT595', 2, 2, 2),
  ('NEC', 'VT460K', 2, 2, 2),
  ('NEC', 'P474W', 2, 3, 2),
  ('NEC', 'P474U', 2, 3, 2),
  ('NEC', 'P554W', 2, 3, 2),
  ('NEC', 'P554U', 2, 3, 2),
  ('NEC', 'PX2000UL', 2, 3, 2),
  ('Panasonic', 'PT-L711', 3, 1, 1),
  ('Panasonic', 'PT-L701', 3, 1, 1),
  ('Panasonic', 'PT-L511', 3, 1, 1),
  ('Panasonic', 'PT-L501', 3, 1, 1),
  ('Panasonic', 'PT-LB80', 3, 1, 1),
  ('Panasonic', 'PT-CW331R', 3, 1, 1),
  ('Panasonic', 'PT-CX301R', 3, 1, 1),
  ('Panasonic', 'PT-F100', 3, 1, 1),
  ('Panasonic', 'PT-F300', 3, 1, 1),
  ('Panasonic', 'PT-FW300', 3, 1, 1),
  ('Panasonic', 'PT-LX26', 3, 1, 1),
  ('Panasonic', 'PT-JX200', 3, 1, 1),
  ('Sanyo', 'PLC-WM5500', 4, 2, 1),
  ('Sanyo', 'PLC-XM100', 4, 2, 1),
  ('Sanyo', 'PLC-XM150', 4, 2, 1),
  ('Sanyo', 'PLC-XE33', 4, 2, 1),
  ('Sanyo', 'PLC-XU305', 4, 2, 1),
  ('Sanyo', 'PLC-XU355', 4, 2, 1),
  ('Sony', 'VPL-VW40', 5, 4, 2),
  ('Sony', 'VPL-VW60', 5, 4, 2),
  ('Sony', 'VPL-VW85', 5, 4, 2),
  ('Sony', 'VPL-HW10', 5, 4, 2),
  ('Sony', 'VPL-HW15', 5, 4, 2),
  ('Sony', 'VPL-HW20', 5, 4, 2),
  ('Hitachi', 'CP-X275', 6, 2, 2),
  ('Hitachi', 'CP-X2510', 6, 2, 2),
  ('Hitachi', 'CP-X2510N', 6, 2, 2),
  ('Hitachi', 'CP-X1200', 6, 2, 2),
  ('Hitachi', 'CP-X440', 6, 2, 2),
  ('Hitachi', 'CP-X253', 6, 2, 2),
  ('Hitachi', 'CP-A200', 6, 2, 2),
  ('Hitachi', 'CP-WU13K', 6, 2, 2),
  ('Hitachi', 'ED-A100', 6, 2, 2),
  ('BenQ', 'SP920', 7, 5, 1),
  ('BenQ', 'W1070', 7, 5, 1),
  ('BenQ', 'W1100', 7, 5, 1),
  ('BenQ', 'W1110', 7, 5, 1),
  ('BenQ', 'W1250', 7, 5, 1),
  ('BenQ', 'HT4550i', 7, 5, 1),
  ('BenQ', 'MS521P', 7, 5, 1),
  ('BenQ', 'MW519', 7, 5, 1),
  ('BenQ', 'TH585', 7, 5, 1),
  ('BenQ', 'TK800M', 7, 5, 1),
  ('Optoma', 'EX785', 8, 1, 1),
  ('Optoma', 'EP783S', 8, 1, 1),
  ('Optoma', 'EP1080', 8, 1, 1),
  ('Optoma', 'ES515', 8, 1, 1),
  ('Optoma', 'DX319', 8, 1, 1),
  ('Optoma', 'HD50', 8, 1, 1),
  ('Optoma', 'TX774', 8, 1, 1),
  ('ViewSonic', 'PJD5123P', 9, 5, 2),
  ('ViewSonic', 'PJD5211', 9, 5, 2),
  ('ViewSonic', 'PJD5221', 9, 5, 2),
  ('ViewSonic', 'PJD5231', 9, 5, 2),
  ('ViewSonic', 'PJD7822HDL', 9, 5, 2),
  ('ViewSonic', 'PJ513D', 9, 5, 2);
