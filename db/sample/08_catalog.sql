-- Sample catalogs: two active ones and an inactive archive, with node trees
-- up to three levels deep whose ids grow level by level within each
-- catalog; five product categories coded by the sample UNSPSC codes, shown
-- under two visibility ids; supplier 1 linked to the office catalog as a
-- whole and to its outside shop; the authorisations of two users and a
-- profile with the users' expanded nodes; two favourite folders.

-- CATALOGID, CATALOGNAME, ACTIVE, APPROVALCATALOG, SUPPLIERCATALOGID,
-- VERSION, CATALOGLAYOUT, ICONID, CATALOGDESCRIPTION
INSERT INTO CATALOG VALUES (1, 'Office Supplies', 1, 0, 'OS-2026', '3.1', 1, 10, 'Paper, writing instruments and the supplier''s web shop');
INSERT INTO CATALOG VALUES (2, 'Computers and Accessories', 1, 1, NULL, '1.0', 0, 11, 'Notebooks, desktops and input devices');
INSERT INTO CATALOG VALUES (3, 'Archive 2025', 0, 0, NULL, NULL, NULL, NULL, 'Last year''s office catalog');

-- CATEGORYID, CATEGORYNAME, UNSPSCCODE (the leading digit pairs of the
-- UNSPSC codes whose products the category holds)
INSERT INTO PRODUCTCATEGORY VALUES (1, 'Office supplies', '4412');
INSERT INTO PRODUCTCATEGORY VALUES (2, 'Writing instruments', '441217');
INSERT INTO PRODUCTCATEGORY VALUES (3, 'Paper products', '1411');
INSERT INTO PRODUCTCATEGORY VALUES (4, 'Computers', '432115');
INSERT INTO PRODUCTCATEGORY VALUES (5, 'Computer data input devices', '432117');

-- Visibility 1 (all staff) sees the office categories, visibility 2 (IT
-- purchasing) the computer categories and office supplies.
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (1, 1);
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (2, 1);
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (3, 1);
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (1, 2);
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (4, 2);
INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (5, 2);

-- NODEID, ICONID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE
-- (0 folder, 1 product category, 2 attached file, 3 URL, 4 product),
-- NODEURL, CATEGORYID, NODEDESCRIPTION, SHOPOUT
INSERT INTO CATALOGNODE VALUES (1, 20, NULL, 1, 'Paper and writing', 1, 0, NULL, NULL, 'Paper and pens', 0);
INSERT INTO CATALOGNODE VALUES (2, 21, NULL, 1, 'Office supplies', 2, 1, NULL, 1, 'Everything for the desk', 0);
INSERT INTO CATALOGNODE VALUES (3, 22, NULL, 1, 'Supplier web shop', 3, 3, 'https://shop.office.example.com', NULL, 'Order in the supplier''s own shop', 1);
INSERT INTO CATALOGNODE VALUES (4, 21, 1, 1, 'Paper', 1, 1, NULL, 3, 'Printer and copier paper', 0);
INSERT INTO CATALOGNODE VALUES (5, 21, 1, 1, 'Writing instruments', 2, 1, NULL, 2, 'Pens and pencils', 0);
INSERT INTO CATALOGNODE VALUES (6, 23, 1, 1, 'Ordering guide', 3, 3, 'https://intranet.example.com/ordering-guide', NULL, 'How to order office supplies', 0);
INSERT INTO CATALOGNODE VALUES (7, 21, 5, 1, 'Ball point pens', 1, 1, NULL, 2, 'Ball point pens', 0);
INSERT INTO CATALOGNODE VALUES (8, 20, NULL, 2, 'Computers', 1, 0, NULL, NULL, 'Notebooks and desktops', 0);
INSERT INTO CATALOGNODE VALUES (9, 21, NULL, 2, 'Input devices', 2, 1, NULL, 5, 'Keyboards and mice', 0);
INSERT INTO CATALOGNODE VALUES (10, 21, 8, 2, 'Notebooks', 1, 1, NULL, 4, 'Notebook computers', 0);
INSERT INTO CATALOGNODE VALUES (11, 21, 8, 2, 'Desktops', 2, 1, NULL, 4, 'Desktop computers', 0);
INSERT INTO CATALOGNODE VALUES (12, 24, 10, 2, 'Notebook buying guide', 1, 2, 'guides/notebooks.pdf', NULL, 'Which notebook for which job', 0);
INSERT INTO CATALOGNODE VALUES (13, 21, NULL, 3, 'Office supplies 2025', 1, 1, NULL, 1, NULL, 0);
INSERT INTO CATALOGNODE VALUES (14, 21, 13, 3, 'Paper 2025', 1, 1, NULL, 3, NULL, 0);
INSERT INTO CATALOGNODE VALUES (15, 21, 13, 3, 'Writing 2025', 2, 1, NULL, 2, NULL, 0);

-- NODEID (Null: the catalog as a whole), CATALOGID, BUSINESSPARTNERID
INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES (NULL, 1, 1);
INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES (3, 1, 1);

-- USERID (the profile id when ISPROFILE is 1), CATALOGID, NODEID (Null: the
-- catalog as a whole), LEVEL (0 for a whole catalog, else the node's level),
-- ISPROFILE, VIEWONLY, SHAREDID, SHAREDPWD (the account at the outside shop
-- of a shop-out node, kept as given).
-- buyer1 holds the computer catalog as a whole and, in the office catalog,
-- the supplier's web shop (with an account there) and the writing
-- instruments; approver1 may look at the office catalog but not order from
-- it; the profile PURCHASING holds the office and the computer catalog.
INSERT INTO CATALOGNODEBYUSER VALUES ('buyer1', 2, NULL, 0, 0, 0, NULL, NULL);
INSERT INTO CATALOGNODEBYUSER VALUES ('buyer1', 1, 3, 1, 0, 0, 'bianca.buyer', 'Shop-2026');
INSERT INTO CATALOGNODEBYUSER VALUES ('buyer1', 1, 5, 2, 0, 0, NULL, NULL);
INSERT INTO CATALOGNODEBYUSER VALUES ('approver1', 1, NULL, 0, 0, 1, NULL, NULL);
INSERT INTO CATALOGNODEBYUSER VALUES ('PURCHASING', 1, NULL, 0, 1, 0, NULL, NULL);
INSERT INTO CATALOGNODEBYUSER VALUES ('PURCHASING', 2, NULL, 0, 1, 0, NULL, NULL);

-- USERID, CATALOGID, NODEID: every node the two users may see, as
-- TCatalog.PopulateUserNodes writes them (buyer1, then approver1).
INSERT INTO USERNODE VALUES ('buyer1', 1, 3), ('buyer1', 1, 5), ('buyer1', 1, 7), ('buyer1', 2, 8),
  ('buyer1', 2, 9), ('buyer1', 2, 10), ('buyer1', 2, 11), ('buyer1', 2, 12);
INSERT INTO USERNODE VALUES ('approver1', 1, 1), ('approver1', 1, 2), ('approver1', 1, 3), ('approver1', 1, 4),
  ('approver1', 1, 5), ('approver1', 1, 6), ('approver1', 1, 7);

-- FOLDERID, FOLDERNAME, USERID
INSERT INTO FAVORITEFOLDERS VALUES (1, 'Desk', 'buyer1');
INSERT INTO FAVORITEFOLDERS VALUES (2, 'IT equipment', 'buyer1');
