-- Sample offices, a warehouse and work centres: the head office is the
-- administrative office of the sample users, the purchase office their
-- purchase office.
INSERT INTO OFFICE VALUES ('Head office', NULL, 1, NULL, 'USD', 1, '4111111111111111', '2028-12-31 00:00:00',
  'CC100', 'WH1', 'Goods receiving, gate 2', NULL, NULL, NULL, NULL, NULL, 2,
  NULL, NULL, NULL, NULL, NULL, NULL, 10);
INSERT INTO OFFICE VALUES ('Purchase office', NULL, 1, NULL, 'USD', 2, NULL, NULL,
  NULL, 'WH1', NULL, NULL, NULL, NULL, NULL, NULL, NULL,
  NULL, NULL, NULL, NULL, NULL, NULL, NULL);

INSERT INTO WAREHOUSE VALUES ('WH1', 'Main warehouse', 1);

INSERT INTO WORKCENTER VALUES ('WC100', 'Assembly', 1, 1);
INSERT INTO WORKCENTER VALUES ('WC200', 'Packing', 0, 1);

-- Employees: E-1001 is internal1's employee number.
INSERT INTO EMPLOYEE VALUES ('E-1001', 'Purchasing', 'Ivo Internal');
INSERT INTO EMPLOYEE VALUES ('E-1002', 'Finance', 'Fiona Figures');
INSERT INTO EMPLOYEE VALUES ('E-1003', 'Finance', 'Owen O''Neill');
INSERT INTO EMPLOYEE VALUES ('E-1004', 'Purchasing', 'Petra Parts');
INSERT INTO EMPLOYEE VALUES ('E-1005', NULL, 'Noah Newcomer');

-- Project roles: a project manager, a consultant and an administrator.
INSERT INTO ROLE VALUES ('PM', 'Project manager', 0, 1, 1, 1, 0, 0, 0);
INSERT INTO ROLE VALUES ('CONS', 'Consultant', 1, 0, 0, 0, 1, 0, 0);
INSERT INTO ROLE VALUES ('ADM', 'Administrator', 0, 0, 0, 0, 0, 1, 1);

-- Sales representatives: internal1 serves the two sample customers.
INSERT INTO BPSPERUSER VALUES ('internal1', 3);
INSERT INTO BPSPERUSER VALUES ('internal1', 4);
