-- The membership directory: its entries (users and the entries they take
-- roles and attributes from) and their attribute values.
--
-- ENTRYKEY is the id case-folded (ASCII letters in lower case), so that ids
-- are unique and found without regard to letter case; USERID keeps the id
-- as it was created.
-- Passwords are kept only as salted crypt hashes ("$y$..." or "$6$...").
CREATE TABLE DIRECTORYENTRY (
  ENTRYKEY text NOT NULL PRIMARY KEY,
  USERID text NOT NULL,
  PASSWORDHASH text NOT NULL
);

-- One row per value; SEQ orders the values of a multi-valued attribute
-- from 0. NAME is the attribute's name as the directory spells it; VALUE
-- its stored text (numbers in decimal, Booleans 1/0, dates yyyy-mm-dd hh:nn:ss).
CREATE TABLE DIRECTORYATTRIBUTE (
  ENTRYKEY text NOT NULL REFERENCES DIRECTORYENTRY (ENTRYKEY),
  NAME text COLLATE NOCASE NOT NULL,
  SEQ int NOT NULL,
  VALUE text NOT NULL,
  PRIMARY KEY (ENTRYKEY, NAME, SEQ)
);

-- Searches read one attribute's values with their entries from this index
-- alone.
CREATE INDEX DIRECTORYATTRIBUTE_BYNAME ON DIRECTORYATTRIBUTE (NAME, VALUE, ENTRYKEY);
