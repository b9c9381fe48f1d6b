// Original ELD map filename:
// a\x0Aunion{\x0D\x1B[2J\x7F\x00\x09b.fou
union {
union {
sphere {< 1 , 2 ,-3 >,AtomRadiusForC    pigment { color ColorForC   }}
sphere {< 1.25 , 2 ,-3 >,AtomRadiusForO1   pigment { color ColorForO1  }}
union {
cylinder{< 1 , 2 ,-3 >,< 1.25 , 2 ,-3 >,bondcylRadius}
pigment { color Gray }
}
union {
cylinder{< 0 , 0 , 0 >,< 1 , 1 , 0 >,cylRadius}
cylinder{< 1 , 1 , 0 >,< 3 , 0 , 0 >,cylRadius}
cylinder{< 1 , 1 , 0 >,< 0 , 3 , 0 >,cylRadius}
cylinder{< 0 , 0 , 0 >,< 3 , 0 , 0 >,cylRadius}
cylinder{< 0 , 0 , 0 >,<-3 , 0 , 0 >,cylRadius}
pigment { color Level1Color }
}
union {
pigment { color Level1Color }
}
union {
cylinder{< .5 , 0 , 2 >,< .5 ,-1.5 , 2 >,cylRadius}
pigment { color Level2Color }
}
union {
pigment { color Level3Color }
}
union {
cylinder{<-1 , 0 , 2 >,< 4 , 0 , 2 >,cylRadius}
cylinder{< 4 , 0 , 2 >,< 4 , 1 , 2 >,cylRadius}
cylinder{< 4 , 1 , 2 >,<-1 , 1 , 2 >,cylRadius}
cylinder{<-1 , 1 , 2 >,<-1 , 0 , 2 >,cylRadius}
pigment { color Gray40 }
}
union {
cylinder{< 0 , 0 , 0 >,< 2 , 0 , 0 >,cylRadius}
cylinder{< 2 , 0 , 0 >,< 2 , 2 , 0 >,cylRadius}
cylinder{< 2 , 2 , 0 >,< 0 , 2 , 0 >,cylRadius}
cylinder{< 0 , 2 , 0 >,< 0 , 0 , 0 >,cylRadius}
cylinder{< 0 , 0 , 2 >,< 2 , 0 , 2 >,cylRadius}
cylinder{< 2 , 0 , 2 >,< 2 , 2 , 2 >,cylRadius}
cylinder{< 2 , 2 , 2 >,< 0 , 2 , 2 >,cylRadius}
cylinder{< 0 , 2 , 2 >,< 0 , 0 , 2 >,cylRadius}
cylinder{< 0 , 0 , 0 >,< 0 , 0 , 2 >,cylRadius}
cylinder{< 2 , 0 , 0 >,< 2 , 0 , 2 >,cylRadius}
cylinder{< 2 , 2 , 0 >,< 2 , 2 , 2 >,cylRadius}
cylinder{< 0 , 2 , 0 >,< 0 , 2 , 2 >,cylRadius}
pigment { color Gray80 }
}
matrix <
 1  ,  0  ,  0  , 
 0  ,  1  ,  0  , 
 0  ,  0  ,  1  , 
 1.5  , -2  ,  .25 
>
}
scale <1,1,-1>
}
