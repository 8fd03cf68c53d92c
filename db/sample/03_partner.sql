-- Sample transport carriers, suppliers and customers with their addresses.
-- The countries come from the ISO 3166 list that `suitehost init --sample`
-- reads from the system's iso-codes package (COUNTRYCODE is the two-letter
-- code, ISOCODE the three-letter one).

INSERT INTO TRANSPORTCARRIER VALUES ('ROAD', 'Road Freight Services', 'https://carrier.example.com/road');
INSERT INTO TRANSPORTCARRIER VALUES ('AIR', 'Air Express', 'https://carrier.example.com/air');
INSERT INTO TRANSPORTCARRIER VALUES ('SEA', 'Sea Container Lines', NULL);

-- ADDRESSID, COUNTRYCODE, NAME1, NAME2, STREET1, STREET2, CITY1, CITY2,
-- STATEPROVINCE, ZIPCODE, PHONE, FAX, SHORTDESCRIPTION, BISADDRESSCODE
INSERT INTO ADDRESS VALUES (1, 'US', 'Office Supplies Inc.', NULL, '100 Main Street', NULL, 'Springfield', NULL,
  'IL', '62701', '+1 217 555 0100', '+1 217 555 0101', 'Office Supplies - head office', 'A100');
INSERT INTO ADDRESS VALUES (2, 'US', 'Office Supplies Inc.', 'Warehouse', '5 Dock Road', NULL, 'Springfield', NULL,
  'IL', '62702', '+1 217 555 0150', NULL, 'Office Supplies - warehouse', 'A101');
INSERT INTO ADDRESS VALUES (3, 'DE', 'Maschinenbau Nord GmbH', NULL, 'Hafenstrasse 12', NULL, 'Hamburg', NULL,
  NULL, '20457', '+49 40 555 1200', NULL, 'Maschinenbau Nord', 'A200');
INSERT INTO ADDRESS VALUES (4, 'NL', 'Groothandel Zuid B.V.', NULL, 'Stationsplein 3', NULL, 'Eindhoven', NULL,
  NULL, '5611 AB', '+31 40 555 3000', NULL, 'Groothandel Zuid', 'A300');
INSERT INTO ADDRESS VALUES (5, 'GB', 'Riverside Hospital', 'Purchasing', '1 River Lane', NULL, 'Bristol', NULL,
  NULL, 'BS1 4ST', '+44 117 555 0400', NULL, 'Riverside Hospital', 'A400');

-- BUSINESSPARTNERID, SHIPPINGADDRESSID, POSTALADDRESSID, SOLDTOADDRESSID,
-- CURRENCYCODE, NAME, BISCUSTOMERCODE, BISSUPPLIERCODE, USERID, BUSINESSID,
-- PRICINGMETHOD, OWBENABLED, ORDERREQUESTURL, BPURL,
-- BISCREDITCARDCUSTOMERCODE, GLOBALPARTNERCLASSIFICATIONCODE,
-- DEFAULTSUPPLIERCODE, DUNSNUMBER, ISONETIMEBP, ISINTERNALBP, COMPANYNUMBER
INSERT INTO BUSINESSPARTNER VALUES (1, 2, 1, 1, 'USD', 'Office Supplies Inc.', NULL, 'S100', 'buyer1', 'BID-S100',
  1, 1, 'https://orders.example.com/office', 'https://office.example.com', NULL, 'SUPPLIER', NULL,
  '123456789', 0, 0, NULL);
INSERT INTO BUSINESSPARTNER VALUES (2, 3, 3, 3, 'EUR', 'Maschinenbau Nord GmbH', NULL, 'S200', 'buyer1', 'BID-S200',
  1, 0, NULL, NULL, NULL, 'SUPPLIER', NULL, '987654321', 0, 0, NULL);
INSERT INTO BUSINESSPARTNER VALUES (3, 4, 4, 4, 'EUR', 'Groothandel Zuid B.V.', 'C300', NULL, NULL, 'BID-C300',
  1, 0, NULL, NULL, NULL, 'CUSTOMER', 'S100', NULL, 0, 0, NULL);
INSERT INTO BUSINESSPARTNER VALUES (4, 5, 5, 5, 'GBP', 'Riverside Hospital', 'C400', NULL, NULL, 'BID-C400',
  2, 0, NULL, NULL, 'CC400', 'CUSTOMER', 'S200', NULL, 0, 0, NULL);
INSERT INTO BUSINESSPARTNER VALUES (5, NULL, NULL, NULL, 'USD', 'Own purchasing department', NULL, NULL, NULL,
  'BID-INTERNAL', 1, 0, NULL, NULL, NULL, NULL, NULL, NULL, 0, 1, NULL);

INSERT INTO BUSINESSPARTNERADDRESS VALUES (1, 1);
INSERT INTO BUSINESSPARTNERADDRESS VALUES (1, 2);
INSERT INTO BUSINESSPARTNERADDRESS VALUES (2, 3);
INSERT INTO BUSINESSPARTNERADDRESS VALUES (3, 4);
INSERT INTO BUSINESSPARTNERADDRESS VALUES (4, 5);

INSERT INTO CUSTOMER VALUES (3, 'Groothandel Zuid', 2.5, 'ROAD');
INSERT INTO CUSTOMER VALUES (4, 'Riverside Hospital', 0, 'AIR');
