-- The test copy of the sales database: Orders and Phone are not there yet, Name is shorter and
-- optional, not unique, may not be empty, and is 'unknown' when not given.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  Name VARCHAR(40) DEFAULT 'unknown',
  CHECK (Name <> '')
);
