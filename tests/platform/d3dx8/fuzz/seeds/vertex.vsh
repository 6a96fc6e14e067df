vs.1.1
m4x4 oPos, v0, c0
mov a0.x, v1.x
add r0, c[a0.x + 3], -v2.yzwx
mov oD0, r0
