-- Firefox's formhistory.sqlite with two planted values.
CREATE TABLE moz_formhistory (id INTEGER PRIMARY KEY, fieldname TEXT NOT NULL, value TEXT NOT NULL, timesUsed INTEGER, firstUsed INTEGER, lastUsed INTEGER, guid TEXT);
INSERT INTO moz_formhistory(fieldname,value,timesUsed) VALUES('searchbar-history','private words',1),
  ('email','me@example.com',2);
