-- The live sales database of the demo.
CREATE TABLE Customers (
  CustomerID INTEGER PRIMARY KEY,
  -- Names compare without regard to letter case: "acme" is ACME's name.
  Name VARCHAR(50) NOT NULL COLLATE NOCASE,
  Phone VARCHAR(24)
);
-- Customers are looked up by name, and no two share one.
CREATE UNIQUE INDEX CustomerNames ON Customers (Name);
-- A customer keeps the name it was entered with.
CREATE TRIGGER CustomerNameKept BEFORE UPDATE OF Name ON Customers
WHEN NEW.Name <> OLD.Name
BEGIN
  SELECT RAISE(ABORT, 'a customer keeps its name');
END;
CREATE TABLE Orders (
  OrderID INTEGER PRIMARY KEY,
  Total NUMERIC(10, 2)
);
