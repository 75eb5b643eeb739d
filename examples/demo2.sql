-- Demo database 2: the same shop today, after a release and a month of trading.
CREATE TABLE customers (
    customer_id INTEGER NOT NULL PRIMARY KEY,
    name        VARCHAR(80) NOT NULL,
    email       VARCHAR(100),
    city        VARCHAR(40),
    loyalty     INTEGER
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
CREATE UNIQUE INDEX orders_by_customer ON orders (customer_id, order_id);
CREATE TABLE reviews (
    review_id   INTEGER NOT NULL PRIMARY KEY,
    product_id  INTEGER NOT NULL,
    stars       INTEGER NOT NULL
);
CREATE VIEW big_orders AS SELECT order_id, customer_id, total FROM orders WHERE total > 100;

INSERT INTO customers VALUES (1, 'Ada Lovelace', 'ada@example.org', 'London', 3);
INSERT INTO customers VALUES (2, 'Alan Turing', 'alan@example.org', 'Manchester', NULL);
INSERT INTO customers VALUES (3, 'Grace Hopper', NULL, 'Arlington', 1);
INSERT INTO customers VALUES (5, 'Barbara Liskov', 'liskov@example.org', 'Boston', NULL);

INSERT INTO products VALUES (10, 'Mechanical keyboard', 89.9, 12);
INSERT INTO products VALUES (11, 'Trackball', 49.00, 3);
INSERT INTO products VALUES (12, 'Monitor arm', 120.50, 0);

INSERT INTO orders VALUES (100, 1, '2026-11-02 10:15:00', 134.90);
INSERT INTO orders VALUES (101, 2, '2026-11-03 16:40:00', 45.00);
INSERT INTO orders VALUES (102, 3, '2026-11-05 09:05:00', 240.50);
INSERT INTO orders VALUES (103, 5, '2026-12-01 11:30:00', 310.00);

INSERT INTO reviews VALUES (1, 10, 5);

CREATE VIEW low_stock AS SELECT product_id, title, in_stock FROM products WHERE in_stock < 5;
