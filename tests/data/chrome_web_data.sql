-- Chrome's Web Data: form values beside keywords, tokens, addresses and cards.
CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, date_created INTEGER DEFAULT 0, date_last_used INTEGER DEFAULT 0, count INTEGER DEFAULT 1, PRIMARY KEY (name, value));
CREATE TABLE keywords (id INTEGER PRIMARY KEY, short_name VARCHAR NOT NULL, keyword VARCHAR NOT NULL, url VARCHAR);
CREATE TABLE token_service (service VARCHAR PRIMARY KEY NOT NULL, encrypted_token BLOB);
CREATE TABLE local_addresses (guid VARCHAR PRIMARY KEY, street_address VARCHAR);
CREATE TABLE credit_cards (guid VARCHAR PRIMARY KEY, name_on_card VARCHAR);
INSERT INTO autofill VALUES('email','me@example.com','me@example.com',1,1,3),
  ('q','private words','private words',1,1,1);
INSERT INTO keywords VALUES(1,'Example','ex','https://search.example.net/?q={searchTerms}');
INSERT INTO token_service VALUES('AccountId-1',X'0102');
INSERT INTO local_addresses VALUES('a','1 Main St');
INSERT INTO credit_cards VALUES('c','A Person');
