-- Sample users of the membership directory (`suitehost init --sample`):
-- a buyer, an approver (project role PM), a supplier, an internal user
-- whose property group comes from its office (employee E-1001, project
-- roles CONS, its default, and PM), and "scriptuser", the account without roles with
-- which the internal-user list binds each user it reads (suite.ini
-- [MEMBERSHIP] MemScriptUser/MemScriptCode of a sample installation); as it
-- holds no supplier role, that list shows it too. Every sample password is
-- "sample", kept as a salted yescrypt hash. Offices 1 "Head office"
-- (administrative) and 2 "Purchase office" (purchase) are rows of the
-- catalog's sample OFFICE table.
INSERT INTO DIRECTORYENTRY (ENTRYKEY, USERID, PASSWORDHASH) VALUES
  ('buyer1', 'buyer1', '$y$j9T$aASLUNqlu58gMln5UkXE30$.gAcQRzYcFLpCxJsORcQJAFMhO.2pueuMIkMfQoPW8/'),
  ('approver1', 'approver1', '$y$j9T$XbFcZzMPhHt5UtfYtQCRD1$.JBrVzqDcGk0QATABaaNNgCf3/ZJfqvnPzt0Dse0Z.1'),
  ('supplier1', 'supplier1', '$y$j9T$by1L84DMszBxggH/YiuGh0$p.9N1wnwv/3K9NDlOmpjzq1pwbN8u6SnFZV0CfIOUH7'),
  ('internal1', 'internal1', '$y$j9T$0uTrYfIVTtd0nyVQPHtxA.$fmTNmy23p0aWTMjaFydsaZ15RGmZm.GGf64TiXJGdG1'),
  ('scriptuser', 'scriptuser', '$y$j9T$5QO5eBYCk1vzRqEPOe0V80$f2BSHCxzPiu2igtgFXDv6ZnBVk9eVLCKNJY9.O6st./');

INSERT INTO DIRECTORYATTRIBUTE (ENTRYKEY, NAME, SEQ, VALUE) VALUES
  ('buyer1', 'Name', 0, 'Bianca'),
  ('buyer1', 'Surname', 0, 'Buyer'),
  ('buyer1', 'Email', 0, 'buyer1@example.com'),
  ('buyer1', 'Locale', 0, '1033'),
  ('buyer1', 'Language', 0, '1033'),
  ('buyer1', 'VYRole', 0, '2'),
  ('buyer1', 'BuyerRole', 0, '1'),
  ('buyer1', 'RequisitionerRole', 0, '1'),
  ('buyer1', 'AdminOffice', 0, 'Head office'),
  ('buyer1', 'PurOffice', 0, 'Purchase office'),
  ('buyer1', 'SpendLimit', 0, '5000'),
  ('buyer1', 'LimitForRFQ', 0, '10000'),
  ('buyer1', 'LimitForContract', 0, '50000'),
  ('buyer1', 'ReqPrefix', 0, 'REQ'),
  ('approver1', 'Name', 0, 'Arno'),
  ('approver1', 'Surname', 0, 'Approver'),
  ('approver1', 'Email', 0, 'approver1@example.com'),
  ('approver1', 'Locale', 0, '1033'),
  ('approver1', 'VYRole', 0, '4'),
  ('approver1', 'ApproverRole', 0, '1'),
  ('approver1', 'ApproverLimit', 0, '25000'),
  ('approver1', 'AdminOffice', 0, 'Head office'),
  ('approver1', 'ProjectRole', 0, 'PM'),
  ('supplier1', 'Name', 0, 'Sela'),
  ('supplier1', 'Surname', 0, 'Supplier'),
  ('supplier1', 'Email', 0, 'supplier1@example.com'),
  ('supplier1', 'VYRole', 0, '6'),
  ('supplier1', 'ExternalRole', 0, '1'),
  ('supplier1', 'CompanyName', 0, 'Sample Supplies'),
  ('supplier1', 'CompanyNumber', 0, 'S-0001'),
  ('internal1', 'Name', 0, 'Ivo'),
  ('internal1', 'Surname', 0, 'Internal'),
  ('internal1', 'Email', 0, 'internal1@example.com'),
  ('internal1', 'Locale', 0, '1033'),
  ('internal1', 'RequisitionerRole', 0, '1'),
  ('internal1', 'EmployeeNumber', 0, 'E-1001'),
  ('internal1', 'AdminOffice', 0, 'Head office'),
  ('internal1', 'PurOffice', 0, 'Purchase office'),
  ('internal1', 'ProjectRole', 0, 'CONS'),
  ('internal1', 'ProjectRole', 1, 'PM'),
  ('scriptuser', 'Name', 0, 'Script'),
  ('scriptuser', 'Surname', 0, 'Account');
