-- Sample UNSPSC codes: three segments (14 paper, 43 computers, 44 office
-- supplies) with families, classes and commodities below them, as the
-- upload stores them: PARENTCODE the parent's full code ('' on level 1),
-- UNSPSCCODE the last digit pair.
INSERT INTO UNSPSCCODES VALUES ('', '14', 1, 'Paper Materials and Products');
INSERT INTO UNSPSCCODES VALUES ('14', '11', 2, 'Paper products');
INSERT INTO UNSPSCCODES VALUES ('1411', '15', 3, 'Printing and writing paper');
INSERT INTO UNSPSCCODES VALUES ('141115', '07', 4, 'Printer or copier paper');
INSERT INTO UNSPSCCODES VALUES ('', '43', 1, 'Information Technology Broadcasting and Telecommunications');
INSERT INTO UNSPSCCODES VALUES ('43', '21', 2, 'Computer Equipment and Accessories');
INSERT INTO UNSPSCCODES VALUES ('4321', '15', 3, 'Computers');
INSERT INTO UNSPSCCODES VALUES ('432115', '03', 4, 'Notebook computers');
INSERT INTO UNSPSCCODES VALUES ('432115', '07', 4, 'Desktop computers');
INSERT INTO UNSPSCCODES VALUES ('4321', '17', 3, 'Computer data input devices');
INSERT INTO UNSPSCCODES VALUES ('432117', '06', 4, 'Keyboards');
INSERT INTO UNSPSCCODES VALUES ('432117', '08', 4, 'Mouse or trackball');
INSERT INTO UNSPSCCODES VALUES ('', '44', 1, 'Office Equipment and Accessories and Supplies');
INSERT INTO UNSPSCCODES VALUES ('44', '12', 2, 'Office supplies');
INSERT INTO UNSPSCCODES VALUES ('4412', '17', 3, 'Writing instruments');
INSERT INTO UNSPSCCODES VALUES ('441217', '04', 4, 'Ball point pens');

-- The level-4 codes as commodities, coded by the full UNSPSC code as the
-- upload adds them.
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('14111507', 'Printer or copier paper');
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211503', 'Notebook computers');
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211507', 'Desktop computers');
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211706', 'Keyboards');
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('43211708', 'Mouse or trackball');
INSERT INTO COMMODITY (COMMODITYCODE, DESCRIPTION) VALUES ('44121704', 'Ball point pens');
