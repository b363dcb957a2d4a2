import sys
from collections import deque
from operator import itemgetter
from brisko._brisko import pluck
n = 200_000
T = [(i % 1000, i, -i) for i in range(n)]
g = itemgetter(0, 1)
w = sys.argv[1]
if w == "pluck": deque(pluck([0, 1], T), maxlen=0)
if w == "map": deque(map(g, T), maxlen=0)
