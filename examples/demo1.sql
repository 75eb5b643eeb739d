-- Demo database 1: a small shop as it was last month.
CREATE TABLE customers (
    customer_id INTEGER NOT NULL PRIMARY KEY,
    name        VARCHAR(60) NOT NULL,
    email       VARCHAR(100),
    city        VARCHAR(40)
);
CREATE TABLE products (
    product_id  INTEGER NOT NULL PRIMARY KEY,
    title       VARCHAR(80) NOT NULL,
    price       DECIMAL(10,2) NOT NULL,
    in_stock    INTEGER NOT NULL
);
CREATE TABLE orders (
    order_id    INTEGER NOT NULL PRIMARY KEY,
    customer_id INTEGER NOT NULL,
    ordered_at  TIMESTAMP NOT NULL,
    total       DECIMAL(10,2) NOT NULL
);
CREATE INDEX orders_by_customer ON orders (customer_id);
CREATE TABLE suppliers (
    supplier_id INTEGER NOT NULL PRIMARY KEY,
    name        VARCHAR(60) NOT NULL
);
CREATE VIEW big_orders AS SELECT order_id, customer_id, total FROM orders WHERE total > 100;

INSERT INTO customers VALUES (1, 'Ada Lovelace', 'ada@example.org', 'London');
INSERT INTO customers VALUES (2, 'Alan Turing', 'alan@example.org', 'Wilmslow');
INSERT INTO customers VALUES (3, 'Grace Hopper', NULL, 'Arlington');
INSERT INTO customers VALUES (4, 'Edsger Dijkstra', 'ewd@example.org', 'Nuenen');

INSERT INTO products VALUES (10, 'Mechanical keyboard', 89.90, 12);
INSERT INTO products VALUES (11, 'Trackball', 45.00, 3);
INSERT INTO products VALUES (12, 'Monitor arm', 120.50, 0);

INSERT INTO orders VALUES (100, 1, '2026-11-02 10:15:00', 134.90);
INSERT INTO orders VALUES (101, 2, '2026-11-03 16:40:00', 45.00);
INSERT INTO orders VALUES (102, 3, '2026-11-05 09:05:00', 240.50);

INSERT INTO suppliers VALUES (1, 'Keys & Co');
