// Original ELD map filename:
// maps/small.fou
#declare cylRadius = 0.02;

union {
union {
union {
cylinder{< 0 , 0 , 0 >,< 1 , 0 , 0 >,cylRadius}
cylinder{< 1 , 0 , 0 >,< 0 , 1 , 0 >,cylRadius}
cylinder{< 0 , 1 , 0 >,< 0 , 0 , 0 >,cylRadius}
cylinder{< 1 , 1 , 1 >,< 2 , 1 , 1 >,cylRadius}
cylinder{< 2 , 1 , 1 >,< 1 , 1 , 1 >,cylRadius}
pigment { color Level1Color }
}
union {
pigment { color Level3Color }
}
matrix <
 1  ,  0  ,  0  , 
 0  ,  1  ,  0  , 
 0  ,  0  ,  1  , 
 0  ,  0  ,  0 
>
}
scale <1,1,-1>
}
