# stylesheet of the demo tree
